// gps.exe: loads or unloads a stream driver (`gps on|off NAME`) on a PC,
// against the PC's own HKEY_LOCAL_MACHINE. Its message boxes are written to
// standard error as "Error: <text>", as the Linux build writes them, and the
// exit status is the tool's.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "gps/host_arguments.h"
#include "gps/stream_run.h"
#include "kestrin_version.h"
#include "platform/exit_status.h"
#include "win32/pc/backend.h"
#include "win32/pc/text_arguments.h"

namespace {

constexpr const char* kUsage = "usage: gps on|off NAME\n";

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // The same bytes as on Linux: "\n", not "\r\n".
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    const std::vector<std::string> owned = win32::pc::Utf8Arguments(argc, argv);
    const std::vector<std::string_view> arguments(owned.begin(), owned.end());
    if (const auto text = gps::VersionOrHelp(arguments, kestrin::VersionLine("gps"), kUsage)) {
        static_cast<void>(std::fputs(text->c_str(), stdout));
        return platform::kExitSuccess;
    }
    const gps::HostArguments parsed = gps::ExtractUnitOption(arguments);
    if (parsed.unitDirectory || parsed.unitDirectoryMissing) {
        // A unit folder belongs to the virtual unit; on a PC the drivers'
        // keys are in the PC's own registry.
        static_cast<void>(std::fputs(
            "gps: --unit names a virtual unit; on a PC gps works on this PC's registry\n", stderr));
        static_cast<void>(std::fputs(kUsage, stderr));
        return platform::kExitFailure;
    }
    win32::pc::Backend backend(win32::pc::Options{});
    return gps::RunWithStreamPrompt(backend.Services(), parsed.words, std::cerr);
}
