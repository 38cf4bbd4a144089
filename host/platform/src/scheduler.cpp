#include "host/unit/scheduler.h"

#include <algorithm>
#include <system_error>

#include "host/unit/clock.h"

namespace host::unit {

namespace {
// The scheduler that counts the calling thread, if any.
thread_local const Scheduler* t_counted = nullptr;
}  // namespace

struct Scheduler::Waiter {
    const void* point = nullptr;
    std::optional<std::uint64_t> deadline;
    bool counted = false;
    bool registered = false;
    bool runnable = false;
    std::condition_variable cv;
};

Scheduler::Scheduler(Time time, std::uint64_t startMs) : time_(time), startMs_(startMs) {
    if (time_ == Time::Virtual) {
        virtual_ = std::make_unique<VirtualClock>(*this, startMs);
    } else {
        real_ = std::make_unique<RealClock>();
    }
}

Scheduler::~Scheduler() = default;

platform::Clock& Scheduler::Clock() {
    if (virtual_) {
        return *virtual_;
    }
    return *real_;
}

VirtualClock* Scheduler::Virtual() {
    return virtual_.get();
}

bool Scheduler::IsVirtual() const {
    return virtual_ != nullptr && !virtual_->Running();
}

void Scheduler::GoOnInRealTime() {
    std::lock_guard lock(mutex_);
    if (!IsVirtual()) {
        return;
    }
    virtual_->StartRunning();
    // Each waiter looks again and waits for its deadline on the wall clock.
    for (Waiter* w : waiters_) {
        w->cv.notify_one();
    }
}

std::uint64_t Scheduler::NowMs() const {
    if (virtual_) {
        return virtual_->Now();
    }
    return startMs_ + real_->NowMs();
}

std::chrono::steady_clock::time_point Scheduler::RealTimeOf(std::uint64_t ms) const {
    // A deadline further off than the steady clock can count to (in
    // nanoseconds) is as good as never: it is held at about 35 years.
    constexpr std::uint64_t kFarMs = std::uint64_t{1} << 40;
    if (virtual_) {
        const std::uint64_t from = virtual_->now_.load();
        const std::uint64_t offset = std::min(ms > from ? ms - from : 0, kFarMs);
        return virtual_->RunningSince() +
               std::chrono::milliseconds(static_cast<std::int64_t>(offset));
    }
    const std::uint64_t offset = std::min(ms > startMs_ ? ms - startMs_ : 0, kFarMs);
    return real_->start() + std::chrono::milliseconds(static_cast<std::int64_t>(offset));
}

void Scheduler::AdvanceTo(std::uint64_t toMs) {
    if (!IsVirtual()) {
        return;
    }
    std::lock_guard lock(mutex_);
    if (toMs > virtual_->now_.load()) {
        virtual_->now_.store(toMs);
    }
    const std::uint64_t now = virtual_->now_.load();
    for (Waiter* w : waiters_) {
        if (w->deadline && *w->deadline <= now) {
            MarkRunnableLocked(*w);
        }
    }
}

std::optional<std::uint64_t> Scheduler::NextDeadline() const {
    std::lock_guard lock(mutex_);
    std::optional<std::uint64_t> next;
    for (const Waiter* w : waiters_) {
        if (!w->runnable && w->deadline && (!next || *w->deadline < *next)) {
            next = w->deadline;
        }
    }
    return next;
}

bool Scheduler::Quiescent() const {
    std::lock_guard lock(mutex_);
    return blocked_ == live_;
}

bool Scheduler::WaitQuiescent(std::chrono::milliseconds realTimeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, realTimeout, [this] { return blocked_ == live_; });
}

int Scheduler::LiveThreads() const {
    std::lock_guard lock(mutex_);
    return live_;
}

int Scheduler::BlockedThreads() const {
    std::lock_guard lock(mutex_);
    return blocked_;
}

void Scheduler::Shutdown() {
    std::lock_guard lock(mutex_);
    stopping_.store(true);
    for (Waiter* w : waiters_) {
        MarkRunnableLocked(*w);
    }
}

bool Scheduler::SleepUntil(std::uint64_t deadlineMs, const std::stop_token& stop) {
    for (;;) {
        if (stop.stop_requested() || stopping_.load()) {
            return false;
        }
        if (NowMs() >= deadlineMs) {
            return true;
        }
        Block(nullptr, nullptr, deadlineMs, stop);
    }
}

std::thread Scheduler::StartCounted(std::function<void()> body) {
    {
        std::lock_guard lock(mutex_);
        ++live_;
        changed_.notify_all();
    }
    auto run = [this, body = std::move(body)] {
        t_counted = this;
        body();
        t_counted = nullptr;
        std::lock_guard lock(mutex_);
        --live_;
        changed_.notify_all();
    };
    try {
        return std::thread(std::move(run));
    } catch (const std::system_error&) {
        std::lock_guard lock(mutex_);
        --live_;
        changed_.notify_all();
        return {};
    }
}

void Scheduler::MarkRunnableLocked(Waiter& w) {
    if (w.runnable) {
        return;
    }
    w.runnable = true;
    if (w.registered && w.counted) {
        --blocked_;
        changed_.notify_all();
    }
    w.cv.notify_one();
}

void Scheduler::Block(const void* point, std::unique_lock<std::mutex>* lock,
                      std::optional<std::uint64_t> deadlineMs, const std::stop_token& stop) {
    Waiter w;
    w.point = point;
    w.deadline = deadlineMs;
    w.counted = t_counted == this;
    {
        // A stop request is a waker like any other: it marks the waiter.
        std::stop_callback onStop(stop, [this, &w] {
            std::lock_guard g(mutex_);
            MarkRunnableLocked(w);
        });
        std::unique_lock s(mutex_);
        if (w.runnable || stopping_.load() || (deadlineMs && NowMs() >= *deadlineMs)) {
            return;
        }
        w.registered = true;
        waiters_.push_back(&w);
        if (w.counted) {
            ++blocked_;
            changed_.notify_all();
        }
        if (lock != nullptr) {
            lock->unlock();
        }
        // Virtual time can go on in real time while this waits (each waiter
        // is woken then to look again), never back.
        while (!w.runnable) {
            if (deadlineMs && !IsVirtual()) {
                if (w.cv.wait_until(s, RealTimeOf(*deadlineMs)) == std::cv_status::timeout) {
                    MarkRunnableLocked(w);
                }
            } else {
                w.cv.wait(s);
            }
        }
        waiters_.erase(std::find(waiters_.begin(), waiters_.end(), &w));
        w.registered = false;
    }
    if (lock != nullptr) {
        lock->lock();
    }
}

void Scheduler::Wake(const void* point) {
    std::lock_guard lock(mutex_);
    for (Waiter* w : waiters_) {
        if (w->point == point) {
            MarkRunnableLocked(*w);
        }
    }
}

Scheduler::HostWait::HostWait(Scheduler& scheduler) {
    if (t_counted != &scheduler) {
        return;
    }
    counted_ = &scheduler;
    std::lock_guard lock(scheduler.mutex_);
    ++scheduler.blocked_;
    scheduler.changed_.notify_all();
}

Scheduler::HostWait::~HostWait() {
    if (counted_ == nullptr) {
        return;
    }
    std::lock_guard lock(counted_->mutex_);
    --counted_->blocked_;
    counted_->changed_.notify_all();
}

SimThread::SimThread(Scheduler& scheduler, std::function<void(std::stop_token)> body) {
    thread_ = scheduler.StartCounted(
        [body = std::move(body), token = stop_.get_token()] { body(token); });
}

SimThread::~SimThread() {
    stop_.request_stop();
    if (thread_.joinable()) {
        thread_.join();
    }
}

}  // namespace host::unit
