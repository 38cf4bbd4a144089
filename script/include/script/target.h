// What a script run drives beneath the framework: the clock the run moves,
// the threads it waits for before each command, the keys `unit` changes, the
// debug lines `expect debug` reads, and the unit's files, registry and
// traffic the expectations on the unit look at. The virtual unit is one target (on
// its virtual or the real clock); a PC's own Win32 API is another.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"
#include "platform/traffic.h"

namespace script {

// What a backend that cannot see a part of the unit says about it.
inline constexpr const char* kNotOnThisBackend = "not available on this backend";

class Target {
  public:
    Target() = default;
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;
    virtual ~Target() = default;

    // Virtual time moves only when the runner advances it; real time runs
    // on the wall clock.
    [[nodiscard]] virtual bool VirtualTime() const = 0;
    [[nodiscard]] virtual std::uint64_t NowMs() const = 0;
    // Virtual time only: moves the clock to ms (never backwards); every
    // thread due by then is runnable when this returns.
    virtual void AdvanceTo(std::uint64_t ms) = 0;
    // The earliest moment a thread beneath the framework waits for.
    [[nodiscard]] virtual std::optional<std::uint64_t> NextDeadline() const = 0;

    // Every thread beneath the framework is blocked (nothing would change if
    // the clock stood still).
    [[nodiscard]] virtual bool Quiescent() const = 0;
    // Blocks until Quiescent() or limit has passed; returns Quiescent().
    virtual bool WaitQuiescent(std::chrono::milliseconds limit) = 0;
    // For the message of a run that does not settle ("3 threads live, 2 blocked").
    [[nodiscard]] virtual std::string Activity() const = 0;

    // Changes a key of the running unit ("power.battery_mv", "3650"); the
    // reason when it cannot.
    virtual platform::Result<void> Set(std::string_view key, std::string_view value) = 0;

    // Every debug line written since the start or the last clearing.
    [[nodiscard]] virtual std::vector<std::string> DebugLines() const = 0;

    // What crosses the target's devices, recorded once asked to (Keep);
    // null where the backend cannot see it.
    [[nodiscard]] virtual platform::Traffic* Traffic() { return nullptr; }
    // The traffic to look at for one device ("COM7:", "PWM1:", "sound"):
    // null where the backend cannot see that device.
    [[nodiscard]] virtual platform::Traffic* TrafficOf(std::string_view /*device*/) {
        return Traffic();
    }

    // The content of a file of the unit ("\Mounted Volume\Vesk\calib.dat"),
    // nullopt when there is none; the reason when it cannot be told.
    [[nodiscard]] virtual platform::Result<std::optional<std::string>> FileContent(
        std::string_view /*unitPath*/) const {
        return platform::Fail(std::string("the unit's files are ") + kNotOnThisBackend);
    }
    // Whether a key of HKEY_LOCAL_MACHINE ("Drivers\Active\12") exists.
    [[nodiscard]] virtual platform::Result<bool> RegistryKeyPresent(
        std::string_view /*key*/) const {
        return platform::Fail(std::string("the registry is ") + kNotOnThisBackend);
    }

    // The run has failed with a thread that would not end: every wait
    // beneath the framework returns from now on, as when the unit is
    // switched off, so that the program can end. Nothing by default.
    virtual void Stop() {}
};

}  // namespace script
