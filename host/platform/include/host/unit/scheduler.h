// Accounting of the unit's threads and of every place where one of them
// blocks, and the unit's time base.
//
// A script that says "wait 2000" must see exactly what two seconds produce,
// so the runner has to know when every thread of the unit and of the system
// has settled. Each thread that counts (system threads from CreateThread and
// simulated-device threads, SimThread) is live from the moment its creator
// starts it until its body returns. A live thread is blocked only while it
// waits through WaitPoint or SleepUntil. Quiescent() is true when every live
// thread is blocked. The waker marks a waiter runnable at the moment it
// signals or advances the clock past the waiter's deadline, so a thread that
// has just been signalled never looks idle before it has run.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>
#include <vector>

#include "platform/services.h"

namespace host::unit {

enum class WaitResult { Ready, TimedOut, Cancelled };

class VirtualClock;
class RealClock;

class Scheduler {
  public:
    enum class Time { Real, Virtual };

    explicit Scheduler(Time time, std::uint64_t startMs = 0);
    ~Scheduler();
    Scheduler(const Scheduler&) = delete;
    Scheduler& operator=(const Scheduler&) = delete;

    // The unit's millisecond clock: a RealClock or a VirtualClock.
    platform::Clock& Clock();
    VirtualClock* Virtual();  // null on real time
    // Virtual time that has not yet gone on in real time.
    [[nodiscard]] bool IsVirtual() const;
    std::uint64_t NowMs() const;

    // Virtual time only: from now on the clock runs on the wall clock from
    // where it stands, and every waiter's deadline comes in real time (a
    // script's first lines run fast, then the window takes the unit over).
    void GoOnInRealTime();

    // Virtual time only: moves the clock forward to toMs (never backwards)
    // and marks every waiter whose deadline has come runnable.
    void AdvanceTo(std::uint64_t toMs);
    // The earliest deadline of any blocked waiter.
    [[nodiscard]] std::optional<std::uint64_t> NextDeadline() const;

    [[nodiscard]] bool Quiescent() const;
    // Blocks the caller (which must not be a counted thread) until the unit
    // is quiescent or realTimeout has passed; returns Quiescent().
    bool WaitQuiescent(std::chrono::milliseconds realTimeout) const;
    [[nodiscard]] int LiveThreads() const;
    [[nodiscard]] int BlockedThreads() const;

    // Releases every waiter and makes every later wait return Cancelled at
    // once: the unit is going away and its threads must end.
    void Shutdown();
    [[nodiscard]] bool Stopping() const { return stopping_.load(); }

    // Sleeps until the clock reaches deadlineMs; false when stopped first.
    bool SleepUntil(std::uint64_t deadlineMs, const std::stop_token& stop = {});

    // Starts a counted thread: it is live before this returns and stops being
    // live when body returns. Used by SimThread and CreateThread.
    std::thread StartCounted(std::function<void()> body);

    // The blocking step under WaitPoint: registers the caller as a waiter on
    // point, releases lock (when given), sleeps until made runnable (by
    // Wake(point), the deadline or stop), then takes lock again.
    void Block(const void* point, std::unique_lock<std::mutex>* lock,
               std::optional<std::uint64_t> deadlineMs, const std::stop_token& stop);
    // Marks every waiter on point runnable and wakes it.
    void Wake(const void* point);

    // A counted thread that waits on the host itself (a poll on a real
    // serial device) counts as blocked for as long as the scope lasts, so the
    // unit can settle on real time while a line is quiet. Other threads are
    // not affected.
    class HostWait {
      public:
        explicit HostWait(Scheduler& scheduler);
        ~HostWait();
        HostWait(const HostWait&) = delete;
        HostWait& operator=(const HostWait&) = delete;

      private:
        Scheduler* counted_ = nullptr;
    };

  private:
    struct Waiter;
    void MarkRunnableLocked(Waiter& w);
    std::chrono::steady_clock::time_point RealTimeOf(std::uint64_t ms) const;

    const Time time_;
    const std::uint64_t startMs_;
    std::unique_ptr<RealClock> real_;
    std::unique_ptr<VirtualClock> virtual_;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<Waiter*> waiters_;
    int live_ = 0;
    int blocked_ = 0;  // live threads blocked and not yet marked runnable
    std::atomic<bool> stopping_{false};
};

// Where a thread blocks inside the unit: a device's "wait for data", a
// serial WaitCommEvent, a thread join. Use it like a condition variable with
// the device's own mutex: change the state under the mutex, then NotifyAll.
class WaitPoint {
  public:
    explicit WaitPoint(Scheduler& scheduler) : scheduler_(scheduler) {}
    WaitPoint(const WaitPoint&) = delete;
    WaitPoint& operator=(const WaitPoint&) = delete;

    // Waits until ready() (called with lock held) is true, the unit clock
    // reaches deadlineMs, or stop is requested.
    template <class Ready>
    WaitResult Wait(std::unique_lock<std::mutex>& lock, Ready ready,
                    std::optional<std::uint64_t> deadlineMs = std::nullopt,
                    const std::stop_token& stop = {}) {
        for (;;) {
            if (ready()) {
                return WaitResult::Ready;
            }
            if (stop.stop_requested() || scheduler_.Stopping()) {
                return WaitResult::Cancelled;
            }
            if (deadlineMs && scheduler_.NowMs() >= *deadlineMs) {
                return WaitResult::TimedOut;
            }
            scheduler_.Block(this, &lock, deadlineMs, stop);
        }
    }

    // Wakes every thread waiting here; they count as running from now on.
    void NotifyAll() { scheduler_.Wake(this); }

    Scheduler& scheduler() { return scheduler_; }

  private:
    Scheduler& scheduler_;
};

// A simulated-device thread: counted by the scheduler, stopped and joined on
// destruction. The body gets a stop token to pass to its waits.
class SimThread {
  public:
    SimThread(Scheduler& scheduler, std::function<void(std::stop_token)> body);
    ~SimThread();
    SimThread(const SimThread&) = delete;
    SimThread& operator=(const SimThread&) = delete;

    void RequestStop() { stop_.request_stop(); }

  private:
    std::stop_source stop_;
    std::thread thread_;
};

}  // namespace host::unit
