// The platform's services on a PC's own Win32 API (kernel32, advapi32,
// winmm): the second backend beside the virtual unit. The unit's paths live
// under a root folder, "COM7:" is a real serial port, the registry is the
// PC's HKEY_LOCAL_MACHINE, and the unit's own stream drivers do not exist.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/services.h"
#include "platform/traffic.h"

namespace win32::pc {

struct Options {
    // The folder that stands for the unit's file system root: "\Mounted
    // Volume\Vesk\calib.dat" is <root>\Mounted Volume\Vesk\calib.dat. UTF-8;
    // relative to the working folder unless absolute.
    std::string root;
    // The PC's port that "COM7:" opens ("COM7", "COM3", ...).
    std::string com7Port = "COM7";
    // Debug lines also go to standard error (they always go to
    // OutputDebugString and are kept for DebugLines()).
    bool debugEcho = false;
};

class Backend {
  public:
    // Nothing is opened here: a root that does not exist makes the file
    // calls fail as a missing folder does.
    explicit Backend(Options options);
    ~Backend();
    Backend(const Backend&) = delete;
    Backend& operator=(const Backend&) = delete;

    // Kernel, sound, power, touch, registry and clock; the prompt is the
    // program's own.
    platform::Services Services();

    [[nodiscard]] const Options& options() const;
    // The absolute root folder the unit paths map onto (UTF-8).
    [[nodiscard]] std::string RootFolder() const;

    // Every debug line written since the start or the last clearing.
    [[nodiscard]] std::vector<std::string> DebugLines() const;
    void ClearDebugLines();
    // The bytes written to and read from "COM7:", the one device of the
    // unit a PC has, on the PC's clock.
    platform::Traffic& Traffic();
    // How many calls on "COM7:" (reads, event waits) wait for the line now:
    // a test makes sure its call waits before the far end writes.
    [[nodiscard]] int Com7CallsWaiting() const;

    struct Impl;

  private:
    std::unique_ptr<Impl> impl_;
};

// The folder "unit" beside the running program: the root when none is given.
std::string DefaultRoot();

}  // namespace win32::pc
