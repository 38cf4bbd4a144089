#include "pc/pc_options.h"

#include <cctype>
#include <charconv>
#include <set>
#include <utility>

#include "script/command_line.h"

namespace pc {

namespace {

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

std::string PcUsage() {
    return "usage: kestrin [--root DIR] [--com7 COMn] [--headless] [--real-time]\n"
           "               [--script FILE|DIR ...] [--junit FILE] [--artifacts DIR]\n"
           "               [--update-screens] [--screenshot FILE] [--scale N] [--debug-echo]\n"
           "               [--demo] [--version]\n"
           "  --root DIR         the folder that stands for the unit's file system\n"
           "                     (default: the folder \"unit\" beside the program)\n"
           "  --com7 COMn        the PC's serial port that \"COM7:\" opens (default COM7)\n"
           "  --headless         no window: run the script, or the tour of the pages\n"
           "  --real-time        scripts run on the wall clock (always, on a PC)\n"
           "  --script FILE|DIR  run scripts (a folder: its *.ks and *.script files) against\n"
           "                     the console, one after the other (implies --headless)\n"
           "  --junit FILE       write a JUnit XML report of the scripts\n"
           "  --artifacts DIR    keep the screen, debug lines and output of failed scripts\n"
           "  --update-screens   `expect screen` writes its reference instead of comparing\n"
           "  --screenshot FILE  write the screen as PNG when the run ends\n"
           "  --scale N          window pixels per screen pixel, 1 to 8 (default 2)\n"
           "  --debug-echo       copy the debug output to standard error\n"
           "  --demo             run the dialog framework's demo dialog, not the console\n"
           "  --version          print the version and exit\n";
}

ParsedPcOptions ParsePcOptions(std::span<const std::string_view> arguments) {
    PcOptions o;
    std::set<std::string_view> seen;
    auto fail = [](std::string message) {
        return ParsedPcOptions{std::nullopt, std::move(message)};
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view arg = arguments[i];
        if (!seen.insert(arg).second) {
            return fail(std::string(arg) + " is given twice");
        }
        auto value = [&](std::optional<std::string>* out) {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                return false;
            }
            *out = std::string(arguments[++i]);
            return true;
        };
        bool ok = true;
        if (arg == "--root") {
            ok = value(&o.root);
        } else if (arg == "--script") {
            std::string error;
            if (!script::TakeScriptNames(arguments, &i, &o.scripts, &error)) {
                return fail(error);
            }
        } else if (arg == "--junit") {
            ok = value(&o.junit);
        } else if (arg == "--artifacts") {
            ok = value(&o.artifacts);
        } else if (arg == "--update-screens") {
            o.updateScreens = true;
        } else if (arg == "--screenshot") {
            ok = value(&o.screenshot);
        } else if (arg == "--com7") {
            std::optional<std::string> port;
            ok = value(&port);
            if (ok && !IsComPort(*port)) {
                return fail("--com7 takes a port name COM1 to COM256, not \"" + *port + "\"");
            }
            if (ok) {
                o.com7Port = *port;
            }
        } else if (arg == "--scale") {
            std::string error;
            if (!script::TakeScale(arguments, &i, &o.scale, &error)) {
                return fail(error);
            }
        } else if (arg == "--headless") {
            o.headless = true;
        } else if (arg == "--real-time") {
            o.realTime = true;
        } else if (arg == "--debug-echo") {
            o.debugEcho = true;
        } else if (arg == "--demo") {
            o.demo = true;
        } else if (arg == "--unit") {
            return fail(
                "--unit names a virtual unit; on a PC give the folder that stands for the "
                "unit's file system with --root");
        } else if (arg == "--help" || arg == "-h" || arg == "/?") {
            o.help = true;
        } else if (arg == "--version") {
            o.version = true;
        } else {
            return fail("unknown argument \"" + std::string(arg) + "\"");
        }
        if (!ok) {
            return fail(std::string(arg) + " needs a value");
        }
    }
    if (o.scripts.empty() && (o.junit || o.artifacts || o.updateScreens)) {
        return fail("--junit, --artifacts and --update-screens go with --script");
    }
    return {o, {}};
}

}  // namespace pc
