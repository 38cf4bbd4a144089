#include "win32/seam.h"

#include <cctype>
#include <charconv>
#include <utility>

#include "session.h"
#include "win32/window/win32_presenter.h"

namespace win32 {

namespace {

using program::OptionSpec;
using program::ValueOption;

constexpr int kMaxComNumber = 256;

// "COM1" to "COM256", any case.
bool IsComPort(std::string_view name) {
    if (name.size() < 4 || name.size() > 6) {
        return false;
    }
    for (std::size_t i = 0; i < 3; ++i) {
        if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i]) {
            return false;
        }
    }
    int number = 0;
    const std::string_view digits = name.substr(3);
    const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    return ec == std::errc() && ptr == digits.data() + digits.size() && digits[0] != '0' &&
           number >= 1 && number <= kMaxComNumber;
}

}  // namespace

Seam::Seam(pc::Options options)
    : program::Seam({.tourWithoutWindow = true,
                     .tourAnswersMessageBoxes = true,
                     .unitKeys = false,
                     .replayWith = "--root <the same folder>",
                     .backend = "win32",
                     .wallClockOnly = true}),
      options_(std::move(options)) {}

std::vector<OptionSpec> Seam::OwnOptions() {
    OptionSpec unit;
    unit.name = "--unit";
    unit.hidden = true;
    unit.take = [](std::string_view) -> platform::Result<void> {
        return platform::Fail(
            "--unit names a virtual unit; on a PC give the folder that stands for the "
            "unit's file system with --root");
    };
    OptionSpec help;
    help.name = "/?";
    help.sameAs = "--help";
    help.hidden = true;
    OptionSpec debugEcho = program::FlagOption(
        "--debug-echo", "copy the debug output to standard error", &options_.debugEcho);
    debugEcho.before = "--demo";
    return {
        ValueOption("--root", "DIR",
                    "the folder that stands for the unit's file system\n"
                    "(default: the folder \"unit\" beside the program)",
                    [this](std::string_view root) {
                        options_.root = std::string(root);
                        return platform::Result<void>();
                    }),
        ValueOption("--com7", "COMn", "the PC's serial port that \"COM7:\" opens (default COM7)",
                    [this](std::string_view port) -> platform::Result<void> {
                        if (!IsComPort(port)) {
                            return platform::Fail(
                                "--com7 takes a port name COM1 to COM256, not \"" +
                                std::string(port) + "\"");
                        }
                        options_.com7Port = std::string(port);
                        return {};
                    }),
        std::move(debugEcho),
        program::Shared("--real-time", "scripts run on the wall clock (always, on a PC)"),
        program::Shared("--script",
                        "run scripts (a folder: its *.ks and *.script files) against\n"
                        "the console (implies --headless), each on a fresh backend"),
        program::Shared("--open-at",
                        "run one --script's lines before LINE (FILE:LINE, or fail:\n"
                        "its first failure's), then open the window there"),
        std::move(unit),
        std::move(help),
    };
}

platform::Result<std::unique_ptr<program::Session>> Seam::Load(
    const program::SessionRequest& /*request*/, std::ostream& /*out*/) {
    // Every run on the wall clock, over the same root folder in place.
    return std::unique_ptr<program::Session>(std::make_unique<Session>(options_));
}

platform::Result<program::OpenedWindow> Seam::OpenWindow(program::Session& session,
                                                         const program::WindowOptions& options) {
    return program::OpenWindowOf(session, options, &window_);
}

}  // namespace win32
