// gps.exe: loads or unloads a stream driver (`gps on|off NAME`) on a PC,
// against the PC's own HKEY_LOCAL_MACHINE. Its message boxes are written to
// standard error as "Error: <text>", as the Linux build writes them, and the
// exit status is the tool's.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "gps/gps_main.h"
#include "gps/host_arguments.h"
#include "kestrin_version.h"
#include "platform/services.h"
#include "win32/backend.h"
#include "win32/text_arguments.h"

namespace {

constexpr int kExitFailure = 1;
constexpr const char* kUsage = "usage: gps on|off NAME\n";

// A program without a window: "<caption>: <text>" on standard error,
// answered OK at once.
class StderrPrompt final : public platform::Prompt {
  public:
    int MessageBox(std::string_view text, std::string_view caption,
                   platform::UINT /*type*/) override {
        std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                     static_cast<int>(text.size()), text.data());
        std::fflush(stderr);
        return platform::IDOK;
    }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // The same bytes as on Linux: "\n", not "\r\n".
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    const std::vector<std::string> owned = win32::Utf8Arguments(argc, argv);
    const std::vector<std::string_view> arguments(owned.begin(), owned.end());
    // Alone on the line only: every other word is the tool's.
    if (arguments.size() == 1 && arguments[0] == "--version") {
        std::fputs(kestrin::VersionLine("gps").c_str(), stdout);
        return 0;
    }
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const gps::HostArguments parsed = gps::ExtractUnitOption(arguments);
    if (parsed.unitDirectory || parsed.unitDirectoryMissing) {
        // A unit folder belongs to the virtual unit; on a PC the drivers'
        // keys are in the PC's own registry.
        std::fputs("gps: --unit names a virtual unit; on a PC gps works on this PC's registry\n",
                   stderr);
        std::fputs(kUsage, stderr);
        return kExitFailure;
    }
    win32::Backend backend(win32::Options{});
    StderrPrompt prompt;
    platform::Services services = backend.Services();
    services.prompt = &prompt;
    platform::ScopedServices installed(services);
    return gps::GpsMain(gps::JoinHostArguments(parsed.words));
}
