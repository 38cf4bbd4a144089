// The clock of a run driven from the framework's WaitEvent: waits until the
// target beneath the framework has settled, steps a wait from one deadline
// of the unit (or of the framework's timers) to the next on virtual time, or
// sleeps through it on real time, and carries the framework's wake-ups.
//
//   script::ClockStepper stepper(target, {});
//   stepper.StartWait(500);
//   while (stepper.Waiting()) {
//       if (stepper.Settle(false) == script::ClockStepper::Settled::Yes) {
//           stepper.StepWait(framework's deadline);
//       }
//   }
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "script/target.h"

namespace script {

class ClockStepper {
  public:
    struct Limits {
        // How long the target may keep running on its own before a run fails.
        std::chrono::milliseconds settle{20000};
        // On real time, how long a busy target is waited for before the run
        // goes on anyway.
        std::chrono::milliseconds realTimeSettle{250};
    };

    // target must outlive the stepper.
    ClockStepper(Target& target, Limits limits);

    // From any thread: the framework has something to do.
    void Wake();
    // Whether it was woken since the last look (and forgets it).
    bool TakeWoken();
    // Blocks until woken or limit has passed; whether it was woken.
    bool WaitWoken(std::chrono::milliseconds limit);

    enum class Settled { Yes, NotYet, TooLong };
    // One look at the target, blocking a short slice when it is busy. On the
    // wall clock a window waiting for its worker (windowWaits) is busy too.
    // TooLong once the settle limit has passed (then NotSettled() says why).
    Settled Settle(bool windowWaits);
    [[nodiscard]] std::string NotSettled() const;

    // A wait of ms from now (a `wait`, or the step of a retry).
    void StartWait(std::uint64_t ms);
    [[nodiscard]] bool Waiting() const { return waitEnd_.has_value(); }

    enum class Step {
        Done,      // the wait has ended
        Advanced,  // virtual time moved: settle, then the framework's turn
        Slept,     // real time: slept until the wait's end, a deadline or a wake-up
        Stuck,     // the clock does not move (StuckAt says where)
    };
    // One step of the wait in progress, on a settled target; deadlineMs is the
    // framework's next timer.
    Step StepWait(std::optional<std::uint64_t> deadlineMs);
    [[nodiscard]] std::uint64_t StuckAt() const { return stuckAt_; }
    // Whether the clock moved since the last look (and forgets it).
    bool TakeAdvanced();

    enum class EndTime { Given, TooLong, Never };
    // Virtual time, at the end of a run: the next deadline of the target, as
    // long as it is within the longest end wait of the clock at the first call.
    EndTime GiveEndTime();

  private:
    Target& target_;
    Limits limits_;
    std::optional<std::chrono::steady_clock::time_point> busySince_;
    std::optional<std::uint64_t> waitEnd_;
    bool advanced_ = false;
    int stuckRounds_ = 0;
    std::uint64_t stuckAt_ = 0;
    std::optional<std::uint64_t> endWaitFrom_;

    std::mutex wakeMutex_;
    std::condition_variable wakeCv_;
    bool woken_ = false;
};

// "20 s", "250 ms": a limit as messages give it.
std::string Millis(std::chrono::milliseconds ms);

// At the end, a window's worker waiting on the unit's clock gets this much of it.
inline constexpr std::uint64_t kLongestEndWaitMs = 60'000;

}  // namespace script
