// What an interrupted program leaves behind: nothing of its own. SIGINT,
// SIGTERM and SIGHUP (on a PC: Ctrl+C, Ctrl+Break, its console closing) end
// the run. A run with a way to stop as a user would (the window, closed as
// its close box closes it) is asked to first; otherwise, or when a second
// interrupt comes or that has not ended the program within a few seconds,
// every action registered here is taken, newest first (worker processes
// ended, temporary folders removed), and the program ends as the signal
// ends a program (status 128 + its number: 130 for SIGINT, and on a PC).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>

namespace program {

// Takes the program's interrupts from now on; in main, before any other
// thread starts (the signals are held on every thread and taken on one of
// its own).
void HandleInterrupts();

// An action taken on an interrupt while this object lives; it may run on
// another thread while the run goes on.
class OnInterrupt {
  public:
    OnInterrupt() = default;
    explicit OnInterrupt(std::function<void()> action);
    OnInterrupt(OnInterrupt&& other) noexcept;
    OnInterrupt& operator=(OnInterrupt&& other) noexcept;
    OnInterrupt(const OnInterrupt&) = delete;
    OnInterrupt& operator=(const OnInterrupt&) = delete;
    ~OnInterrupt();

  private:
    std::uint64_t id_ = 0;
};

// A folder removed, with everything in it, on an interrupt.
OnInterrupt RemoveOnInterrupt(std::filesystem::path folder);

// The way to stop a run as its user would, tried first on an interrupt
// while this object lives; called on another thread.
class StopOnInterrupt {
  public:
    explicit StopOnInterrupt(std::function<void()> stop);
    StopOnInterrupt(const StopOnInterrupt&) = delete;
    StopOnInterrupt& operator=(const StopOnInterrupt&) = delete;
    ~StopOnInterrupt();
};

// Runs put (a report moved into place) unless the program has been
// interrupted; an interrupt that comes meanwhile waits until it is done, so
// that what it puts in place is whole. False when interrupted.
bool UnlessInterrupted(const std::function<void()>& put);

// Ends the program at once with status after the actions an interrupt
// takes (a run that cannot be ended any other way).
[[noreturn]] void EndProgram(int status);

}  // namespace program
