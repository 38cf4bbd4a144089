#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "host/unit/clock.h"
#include "host/unit/scheduler.h"
#include "host/unit/test_unit.h"
#include "platform/last_error.h"

namespace {

using namespace std::chrono_literals;
using platform::DWORD;

// Generous: only keeps a broken build from hanging; a passing run never waits it out.
constexpr auto kSettle = 20s;

TEST(Quiescence, ASignalledWaiterCountsAsRunningUntilItBlocksAgain) {
    host::unit::Scheduler s(host::unit::Scheduler::Time::Virtual);
    std::mutex m;
    host::unit::WaitPoint point(s);
    int posted = 0;
    int handled = 0;
    host::unit::SimThread worker(s, [&](std::stop_token stop) {
        std::unique_lock lock(m);
        for (;;) {
            point.Wait(
                lock, [&] { return posted > handled || stop.stop_requested(); }, std::nullopt,
                stop);
            if (stop.stop_requested()) {
                return;
            }
            ++handled;
        }
    });
    ASSERT_TRUE(s.WaitQuiescent(kSettle));
    EXPECT_EQ(s.LiveThreads(), 1);
    for (int round = 1; round <= 3; ++round) {
        {
            // Holding the mutex keeps the worker from running and blocking
            // again, so what is seen here is the waker's marking alone.
            std::lock_guard lock(m);
            ++posted;
            point.NotifyAll();
            EXPECT_FALSE(s.Quiescent()) << "the waker marks the waiter runnable";
        }
        ASSERT_TRUE(s.WaitQuiescent(kSettle));
        std::lock_guard lock(m);
        EXPECT_EQ(handled, round) << "quiescent only after the worker handled it";
    }
}

TEST(Quiescence, AdvancingTheClockWakesExactlyTheDueSleepers) {
    const std::vector<std::uint64_t> deadlines = {100, 200, 200, 350};
    struct Step {
        std::uint64_t to;
        std::vector<int> awake;  // per sleeper, after the step
        std::optional<std::uint64_t> next;
    } steps[] = {
        {99, {0, 0, 0, 0}, 100},
        {100, {1, 0, 0, 0}, 200},
        {349, {1, 1, 1, 0}, 350},
        {1000, {1, 1, 1, 1}, std::nullopt},
    };
    host::unit::Scheduler s(host::unit::Scheduler::Time::Virtual);
    std::vector<std::atomic<int>> awake(deadlines.size());
    std::mutex m;
    host::unit::WaitPoint park(s);
    std::vector<std::unique_ptr<host::unit::SimThread>> sleepers;
    for (std::size_t i = 0; i < deadlines.size(); ++i) {
        sleepers.push_back(std::make_unique<host::unit::SimThread>(s, [&, i](std::stop_token stop) {
            if (s.Virtual()->SleepUntil(deadlines[i], stop)) {
                awake[i] = 1;
            }
            std::unique_lock lock(m);
            park.Wait(
                lock, [&] { return stop.stop_requested(); }, std::nullopt, stop);
        }));
    }
    for (const auto& step : steps) {
        SCOPED_TRACE(step.to);
        ASSERT_TRUE(s.WaitQuiescent(kSettle));
        const bool wakesSomeone = std::any_of(deadlines.begin(), deadlines.end(), [&](auto d) {
            return d <= step.to && d > s.NowMs();
        });
        {
            std::lock_guard lock(m);  // woken sleepers cannot park again yet
            s.Virtual()->Advance(step.to);
            EXPECT_EQ(s.Quiescent(), !wakesSomeone);
        }
        ASSERT_TRUE(s.WaitQuiescent(kSettle));
        for (std::size_t i = 0; i < deadlines.size(); ++i) {
            EXPECT_EQ(awake[i].load(), step.awake[i]) << "sleeper " << i;
        }
        EXPECT_EQ(s.Virtual()->NextSleeperDeadline(), step.next);
    }
    sleepers.clear();
    EXPECT_EQ(s.LiveThreads(), 0);
}

// Virtual time goes on in real time from where it stands: a sleeper already
// blocked on a deadline of the virtual clock wakes when the wall clock reaches
// it, and advancing the clock does nothing any more.
TEST(Quiescence, VirtualTimeGoesOnInRealTimeFromWhereItStands) {
    host::unit::Scheduler s(host::unit::Scheduler::Time::Virtual);
    std::atomic<bool> awake{false};
    host::unit::SimThread sleeper(s, [&](const std::stop_token& stop) {
        if (s.Virtual()->SleepUntil(60'150, stop)) {
            awake = true;
        }
    });
    ASSERT_TRUE(s.WaitQuiescent(kSettle));
    s.AdvanceTo(60'000);
    ASSERT_TRUE(s.WaitQuiescent(kSettle));
    ASSERT_FALSE(awake.load());
    const auto handedOver = std::chrono::steady_clock::now();
    s.GoOnInRealTime();
    EXPECT_FALSE(s.IsVirtual());
    s.AdvanceTo(70'000);
    EXPECT_LT(s.NowMs(), 60'150U);
    EXPECT_GE(s.NowMs(), 60'000U);
    while (!awake.load() && std::chrono::steady_clock::now() - handedOver < kSettle) {
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_TRUE(awake.load());
    EXPECT_GE(std::chrono::steady_clock::now() - handedOver, 150ms);
    EXPECT_GE(s.NowMs(), 60'150U);
    EXPECT_GE(s.Virtual()->NowMs(), 60'150U);  // the framework's clock too
}

TEST(Quiescence, ThreadWaitsTimeOutOnTheUnitClock) {
    host::unit::TestUnit t;
    ASSERT_TRUE(t.Load()) << t.error();
    auto& u = t.unit();
    std::mutex m;
    bool open = false;
    host::unit::WaitPoint gate(u.scheduler());
    const auto holder = u.CreateThread(
        [&]() -> DWORD {
            std::unique_lock lock(m);
            gate.Wait(lock, [&] { return open; });
            return 7;
        },
        3);
    std::atomic<DWORD> waited{0};
    const auto waiter = u.CreateThread(
        [&]() -> DWORD {
            waited = u.WaitForSingleObject(holder, 500);
            return 0;
        },
        3);
    ASSERT_NE(holder, 0);
    ASSERT_NE(waiter, 0);
    EXPECT_EQ(u.LiveSystemThreads(), 2);
    ASSERT_TRUE(u.scheduler().WaitQuiescent(kSettle));
    EXPECT_EQ(u.Virtual()->NextSleeperDeadline(), 500U);
    u.Virtual()->Advance(499);
    ASSERT_TRUE(u.scheduler().WaitQuiescent(kSettle));
    EXPECT_EQ(waited.load(), 0U) << "still waiting at 499 ms";
    u.Virtual()->Advance(500);
    EXPECT_EQ(u.WaitForSingleObject(waiter, platform::INFINITE), platform::WAIT_OBJECT_0);
    EXPECT_EQ(waited.load(), platform::WAIT_TIMEOUT);

    EXPECT_EQ(u.WaitForSingleObject(holder, 0), platform::WAIT_TIMEOUT);
    {
        std::lock_guard lock(m);
        open = true;
    }
    gate.NotifyAll();
    EXPECT_EQ(u.WaitForSingleObject(holder, platform::INFINITE), platform::WAIT_OBJECT_0);
    EXPECT_EQ(u.LiveSystemThreads(), 0);
    EXPECT_TRUE(u.scheduler().WaitQuiescent(kSettle));
    EXPECT_EQ(u.CloseHandle(holder), platform::TRUE);
    EXPECT_EQ(u.CloseHandle(waiter), platform::TRUE);
    EXPECT_EQ(u.WaitForSingleObject(holder, 0), platform::WAIT_FAILED);
    EXPECT_EQ(platform::GetLastError(), platform::ERROR_INVALID_HANDLE);
}

TEST(Quiescence, UnitShutdownReleasesThreadsStillWaiting) {
    std::atomic<int> result{-1};
    std::mutex m;
    std::unique_ptr<host::unit::WaitPoint> never;
    auto t = std::make_unique<host::unit::TestUnit>();
    ASSERT_TRUE(t->Load()) << t->error();
    auto& u = t->unit();
    never = std::make_unique<host::unit::WaitPoint>(u.scheduler());
    const auto h = u.CreateThread(
        [&]() -> DWORD {
            std::unique_lock lock(m);
            result = static_cast<int>(never->Wait(lock, [] { return false; }));
            return 0;
        },
        3);
    ASSERT_NE(h, 0);
    ASSERT_TRUE(u.scheduler().WaitQuiescent(kSettle));
    u.CloseHandle(h);  // detached: runs on
    EXPECT_EQ(u.LiveSystemThreads(), 1);
    t.reset();  // must end the thread instead of hanging
    EXPECT_EQ(result.load(), static_cast<int>(host::unit::WaitResult::Cancelled));
}

// The processor time the calling thread has used.
std::chrono::nanoseconds ThreadCpu() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
}

// A deadline centuries off, or further than the steady clock counts, is on
// the wall clock a wait like any other: the waiter sleeps through it.
TEST(Quiescence, AFarDeadlineOnTheWallClockIsSleptThrough) {
    for (const std::uint64_t deadline :
         {std::uint64_t{10'000'000'000'000'000}, std::numeric_limits<std::uint64_t>::max()}) {
        SCOPED_TRACE(deadline);
        host::unit::Scheduler s(host::unit::Scheduler::Time::Real);
        std::mutex m;
        host::unit::WaitPoint point(s);
        std::chrono::nanoseconds used{};
        auto waiter = std::make_unique<host::unit::SimThread>(s, [&](const std::stop_token& stop) {
            const auto before = ThreadCpu();
            std::unique_lock lock(m);
            point.Wait(
                lock, [] { return false; }, deadline, stop);
            used = ThreadCpu() - before;
        });
        std::this_thread::sleep_for(300ms);
        waiter.reset();
        EXPECT_LT(used, 100ms);
    }
}

}  // namespace
