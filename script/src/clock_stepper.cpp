#include "script/clock_stepper.h"

#include <algorithm>
#include <utility>

namespace script {

namespace {

// How long one look at the unit blocks before the framework gets another
// turn (it may have a sent message to serve for a blocked worker).
constexpr std::chrono::milliseconds kSettleSlice{2};
// A wait whose clock does not move in this many rounds is stuck.
constexpr int kMostStuckRounds = 100000;

}  // namespace

std::string Millis(std::chrono::milliseconds ms) {
    if (ms.count() % 1000 == 0) {
        return std::to_string(ms.count() / 1000) + " s";
    }
    return std::to_string(ms.count()) + " ms";
}

ClockStepper::ClockStepper(Target& target, Limits limits) : target_(target), limits_(limits) {}

void ClockStepper::Wake() {
    {
        std::lock_guard lock(wakeMutex_);
        woken_ = true;
    }
    wakeCv_.notify_all();
}

bool ClockStepper::TakeWoken() {
    std::lock_guard lock(wakeMutex_);
    return std::exchange(woken_, false);
}

bool ClockStepper::WaitWoken(std::chrono::milliseconds limit) {
    std::unique_lock lock(wakeMutex_);
    const bool woken = wakeCv_.wait_for(lock, limit, [&] { return woken_; });
    woken_ = false;
    return woken;
}

ClockStepper::Settled ClockStepper::Settle(bool windowWaits) {
    const bool threadWait = !target_.VirtualTime() && windowWaits;
    if (target_.Quiescent() && !threadWait) {
        busySince_.reset();
        return Settled::Yes;
    }
    const auto now = std::chrono::steady_clock::now();
    if (!busySince_) {
        busySince_ = now;
    }
    if (!target_.VirtualTime() && now - *busySince_ >= limits_.realTimeSettle) {
        // On the wall clock the world does not stop: a thread busy with a
        // host device is no reason to hold the script.
        busySince_.reset();
        return Settled::Yes;
    }
    if (now - *busySince_ > limits_.settle) {
        return Settled::TooLong;
    }
    if (threadWait) {
        std::unique_lock lock(wakeMutex_);
        wakeCv_.wait_for(lock, kSettleSlice, [&] { return woken_; });
    } else {
        target_.WaitQuiescent(kSettleSlice);
    }
    return Settled::NotYet;
}

std::string ClockStepper::NotSettled() const {
    return "the system did not settle within " + Millis(limits_.settle) + " (" +
           target_.Activity() + ")";
}

void ClockStepper::StartWait(std::uint64_t ms) {
    waitEnd_ = target_.NowMs() + ms;
}

ClockStepper::Step ClockStepper::StepWait(std::optional<std::uint64_t> deadlineMs) {
    const std::uint64_t now = target_.NowMs();
    if (now >= *waitEnd_) {
        waitEnd_.reset();
        return Step::Done;
    }
    if (!target_.VirtualTime()) {
        const std::uint64_t until = deadlineMs ? std::min(*waitEnd_, *deadlineMs) : *waitEnd_;
        if (until > now) {
            WaitWoken(std::chrono::milliseconds(until - now));
        }
        return Step::Slept;
    }
    std::uint64_t next = *waitEnd_;
    if (deadlineMs.has_value()) {
        next = std::min(next, *deadlineMs);
    }
    if (const auto unitDeadline = target_.NextDeadline()) {
        next = std::min(next, std::max(*unitDeadline, now));
    }
    stuckRounds_ = next > now ? 0 : stuckRounds_ + 1;
    if (stuckRounds_ > kMostStuckRounds) {
        stuckAt_ = next;
        return Step::Stuck;
    }
    target_.AdvanceTo(next);
    advanced_ = true;
    return Step::Advanced;
}

bool ClockStepper::TakeAdvanced() {
    return std::exchange(advanced_, false);
}

ClockStepper::EndTime ClockStepper::GiveEndTime() {
    // A thread blocked on the unit's clock gets its time, up to a limit on
    // that clock; one blocked for good never ends.
    const std::uint64_t now = target_.NowMs();
    if (!endWaitFrom_) {
        endWaitFrom_ = now;
    }
    const auto deadline = target_.NextDeadline();
    if (!deadline) {
        return EndTime::Never;
    }
    if (*deadline > *endWaitFrom_ + kLongestEndWaitMs) {
        return EndTime::TooLong;
    }
    target_.AdvanceTo(std::max(*deadline, now));
    return EndTime::Given;
}

}  // namespace script
