#include "program/kestrin_options.h"

#include <set>
#include <utility>

#include "script/command_line.h"

namespace program {

std::string KestrinUsage() {
    return "usage: kestrin [--unit DIR] [--fresh-copy] [--headless] [--script FILE|DIR ...]\n"
           "               [--real-time] [--junit FILE] [--artifacts DIR] [--update-screens]\n"
           "               [--record FILE] [--scale N] [--screenshot FILE] [--audio-out FILE]\n"
           "               [--debug-echo] [--demo] [--version]\n"
           "  --unit DIR         run on the unit in DIR (default: a fresh copy of\n"
           "                     $KESTRIN_UNIT_DIR, else of the default unit)\n"
           "  --fresh-copy       run on a temporary copy of the unit instead\n"
           "  --headless         no window: run the script, or the tour of the pages\n"
           "  --script FILE|DIR  run scripts (a folder: its *.ks and *.script files) on\n"
           "                     the virtual clock (implies --headless); with several,\n"
           "                     each on its own fresh copy of the unit\n"
           "  --real-time        run the scripts on the wall clock (for host devices)\n"
           "  --junit FILE       write a JUnit XML report of the scripts\n"
           "  --artifacts DIR    keep the screen, debug lines and output of failed scripts\n"
           "  --update-screens   `expect screen` writes its reference instead of comparing\n"
           "  --record FILE      write what is done in the window as a script\n"
           "  --scale N          window pixels per screen pixel, 1 to 8 (default 2)\n"
           "  --screenshot FILE  write the screen as PNG when the run ends\n"
           "  --audio-out FILE   write the run's sound as WAV when the run ends\n"
           "  --debug-echo       copy the unit's debug output to standard error\n"
           "  --demo             run the dialog framework's demo dialog, not the console\n"
           "  --version          print the version and exit\n";
}

ParsedKestrinOptions ParseKestrinOptions(std::span<const std::string_view> arguments) {
    KestrinOptions o;
    std::set<std::string_view> seen;
    auto fail = [](std::string message) {
        return ParsedKestrinOptions{std::nullopt, std::move(message)};
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view arg = arguments[i];
        if (!seen.insert(arg).second) {
            return fail(std::string(arg) + " is given twice");
        }
        auto value = [&](std::optional<std::filesystem::path>* out) {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                return false;
            }
            *out = std::filesystem::path(arguments[++i]);
            return true;
        };
        bool ok = true;
        if (arg == "--unit") {
            ok = value(&o.unitDir);
        } else if (arg == "--script") {
            std::vector<std::string> names;
            std::string error;
            if (!script::TakeScriptNames(arguments, &i, &names, &error)) {
                return fail(error);
            }
            o.scripts.insert(o.scripts.end(), names.begin(), names.end());
        } else if (arg == "--junit") {
            ok = value(&o.junit);
        } else if (arg == "--artifacts") {
            ok = value(&o.artifacts);
        } else if (arg == "--record") {
            ok = value(&o.record);
        } else if (arg == "--screenshot") {
            ok = value(&o.screenshot);
        } else if (arg == "--audio-out") {
            ok = value(&o.audioOut);
        } else if (arg == "--scale") {
            std::string error;
            if (!script::TakeScale(arguments, &i, &o.scale, &error)) {
                return fail(error);
            }
        } else if (arg == "--fresh-copy") {
            o.freshCopy = true;
        } else if (arg == "--headless") {
            o.headless = true;
        } else if (arg == "--real-time") {
            o.realTime = true;
        } else if (arg == "--update-screens") {
            o.updateScreens = true;
        } else if (arg == "--debug-echo") {
            o.debugEcho = true;
        } else if (arg == "--demo") {
            o.demo = true;
        } else if (arg == "--help" || arg == "-h") {
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
    const bool scripted = !o.scripts.empty();
    if (!scripted && (o.junit || o.artifacts || o.updateScreens)) {
        return fail("--junit, --artifacts and --update-screens go with --script");
    }
    if (o.record && (scripted || o.headless)) {
        return fail("--record records the window: not with --script or --headless");
    }
    return {o, {}};
}

}  // namespace program
