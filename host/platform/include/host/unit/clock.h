// The unit's millisecond clocks: the real one for interactive runs and the
// virtual one that scripts and tests advance explicitly.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <stop_token>

#include "platform/services.h"

namespace host::unit {

class Scheduler;

// Milliseconds of the host's steady clock since construction.
class RealClock final : public platform::Clock {
  public:
    RealClock() : start_(std::chrono::steady_clock::now()) {}
    std::uint64_t NowMs() override;
    [[nodiscard]] std::chrono::steady_clock::time_point start() const { return start_; }

  private:
    std::chrono::steady_clock::time_point start_;
};

// Time that moves only when told. Sleepers are accounted by the scheduler.
class VirtualClock final : public platform::Clock {
  public:
    explicit VirtualClock(Scheduler& scheduler, std::uint64_t startMs = 0);
    std::uint64_t NowMs() override;
    [[nodiscard]] std::uint64_t Now() const;

    // Moves to toMs (never backwards); every sleeper or timed waiter whose
    // deadline has come is runnable when this returns.
    void Advance(std::uint64_t toMs);
    // For simulated-device threads: false when stopped before the deadline.
    bool SleepUntil(std::uint64_t deadlineMs, const std::stop_token& stop = {});
    // The earliest deadline of any thread blocked on the unit.
    [[nodiscard]] std::optional<std::uint64_t> NextSleeperDeadline() const;

    // Gone on in real time (Scheduler::GoOnInRealTime): Now() counts the
    // wall clock from where the virtual clock stood.
    [[nodiscard]] bool Running() const { return running_.load(std::memory_order_acquire); }
    [[nodiscard]] std::chrono::steady_clock::time_point RunningSince() const { return since_; }

  private:
    friend class Scheduler;
    // Once only: the wall clock counts on from now_.
    void StartRunning();

    Scheduler& scheduler_;
    std::atomic<std::uint64_t> now_;
    // Written once before running_ is set, read only after it is seen set.
    std::chrono::steady_clock::time_point since_;
    std::atomic<bool> running_{false};
};

}  // namespace host::unit
