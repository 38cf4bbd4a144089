// tuner-module: the simulated FM tuner module of a unit, served on a host
// terminal on the wall clock, for runs that reach COM7 through a real line:
// the console with `[com] device`, or kestrin.exe under wine with COM7 mapped
// to a pseudo-terminal.
//
//   tuner-module [--unit DIR] [--reply-delay MS] (--pty [LINK] | --tty DEVICE)
//   tuner-module --version | --help
//
// Without --unit: $KESTRIN_UNIT_DIR, else the default unit beside the program.
// With --pty it prints the device the other party opens (and makes LINK a
// symbolic link to it, never over a file of someone else's); it runs until
// interrupted or terminated.
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/com7/com7_component.h"
#include "host/com7/com7_driver.h"
#include "host/com7/module_server.h"
#include "host/components.h"
#include "host/default_unit.h"
#include "host/unit/virtual_unit.h"
#include "kestrin_version.h"
#include "platform/exit_status.h"
#include "platform/result.h"

namespace {

using platform::kExitFailure;
using platform::kExitSuccess;
using platform::kExitUsage;
constexpr const char* kUsage =
    "usage: tuner-module [--unit DIR] [--reply-delay MS] (--pty [LINK] | --tty DEVICE)\n"
    "       tuner-module --version | --help\n";

struct Options {
    std::optional<std::filesystem::path> unit;
    std::optional<std::string> tty;
    bool pty = false;
    std::optional<std::filesystem::path> link;
    int replyDelayMs = 0;
    bool version = false;
    bool help = false;
};

platform::Result<Options> Parse(const std::vector<std::string_view>& args) {
    Options o;
    if (args.size() == 1 && (args[0] == "--version" || args[0] == "--help" || args[0] == "-h")) {
        o.version = args[0] == "--version";
        o.help = !o.version;
        return o;
    }
    constexpr int kMostDelayMs = 60000;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        const bool hasValue = i + 1 < args.size() && !args[i + 1].starts_with("--");
        if (a == "--unit" && hasValue) {
            o.unit = args[++i];
        } else if (a == "--tty" && hasValue) {
            o.tty = std::string(args[++i]);
        } else if (a == "--pty") {
            o.pty = true;
            if (hasValue) {
                o.link = args[++i];
            }
        } else if (a == "--reply-delay" && hasValue) {
            const std::string value(args[++i]);
            char* end = nullptr;
            const long ms = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || ms < 0 || ms > kMostDelayMs) {
                return platform::Fail("--reply-delay takes 0 to 60000 milliseconds, not \"" +
                                      value + "\"");
            }
            o.replyDelayMs = static_cast<int>(ms);
        } else {
            return platform::Fail("unexpected \"" + std::string(a) + "\"");
        }
    }
    if (o.pty == o.tty.has_value()) {
        return platform::Fail("give one of --pty and --tty");
    }
    return o;
}

// Whether `link` is a link this program makes: one to a pseudo-terminal's
// device (/dev/pts/N), as an earlier run that was killed leaves it. Anything
// else at that name is someone else's and is never removed.
bool IsModuleLink(const std::filesystem::path& link) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(std::filesystem::symlink_status(link, ec))) {
        return false;
    }
    const std::string target = std::filesystem::read_symlink(link, ec).string();
    constexpr std::string_view kPts = "/dev/pts/";
    return !ec && target.size() > kPts.size() && target.starts_with(kPts) &&
           target.find_first_not_of("0123456789", kPts.size()) == std::string::npos;
}

// The module as the unit's unit.toml describes it ([com] and its stations).
platform::Result<host::com7::ModuleConfig> ModuleOf(const std::filesystem::path& dir) {
    host::unit::Result<host::unit::TempDir> copy = host::unit::MakeFreshCopy(dir);
    if (!copy) {
        return platform::Fail(copy.error().Text());
    }
    auto loaded = host::unit::LoadUnit(copy->path(), host::HostComponents(), {.virtualTime = true});
    if (!loaded) {
        return platform::Fail(loaded.error().Text());
    }
    host::com7::Com7Component* com = host::com7::FindCom7(**loaded);
    if (com == nullptr) {
        return platform::Fail("the unit has no tuner module");
    }
    host::com7::ModuleConfig config;
    com->Driver().Simulated().Configure([&](host::com7::ModuleConfig& c) { config = c; });
    return config;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const platform::Result<Options> options = Parse(args);
    if (!options) {
        std::cerr << "tuner-module: " << options.error() << '\n' << kUsage;
        return kExitUsage;
    }
    if (options->version) {
        std::cout << kestrin::VersionLine("tuner-module");
        return kExitSuccess;
    }
    if (options->help) {
        std::cout << kUsage;
        return kExitSuccess;
    }
    if (options->link) {
        std::error_code ec;
        if (std::filesystem::symlink_status(*options->link, ec).type() !=
                std::filesystem::file_type::not_found &&
            !IsModuleLink(*options->link)) {
            std::cerr << "tuner-module: " << options->link->string()
                      << " is there and is not a link to a pseudo-terminal (/dev/pts/N) as "
                         "tuner-module makes: remove it or name another LINK\n";
            return kExitUsage;
        }
    }
    std::filesystem::path unit;
    if (options->unit) {
        unit = *options->unit;
    } else if (const char* env = std::getenv("KESTRIN_UNIT_DIR"); env != nullptr && *env != '\0') {
        unit = env;
    } else {
        const host::FoundUnit found = host::FindDefaultUnit(host::ExecutablePath());
        if (!found.dir) {
            std::cerr << "tuner-module: " << found.error
                      << ": give --unit DIR or set KESTRIN_UNIT_DIR\n";
            return kExitUsage;
        }
        unit = *found.dir;
    }
    const platform::Result<host::com7::ModuleConfig> config = ModuleOf(unit);
    if (!config) {
        std::cerr << "tuner-module: " << config.error() << '\n';
        return kExitUsage;
    }

    // The signals that end the run are taken by sigwait below, never by a
    // handler, so every thread started from here on leaves them blocked.
    sigset_t ending;
    sigemptyset(&ending);
    sigaddset(&ending, SIGINT);
    sigaddset(&ending, SIGTERM);
    sigaddset(&ending, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &ending, nullptr);

    int openError = 0;
    std::string device;
    host::unit::UniqueFd line;
    if (options->pty) {
        line = host::com7::OpenPseudoTerminal(&device, &openError);
    } else {
        device = *options->tty;
        line = host::com7::OpenModuleLine(device, &openError);
    }
    if (!line.valid()) {
        std::cerr << "tuner-module: " << (options->pty ? "no pseudo-terminal" : device) << ": "
                  << std::strerror(openError) << '\n';
        return kExitFailure;
    }
    if (options->link) {
        // A link an earlier run left is replaced; a file made there since
        // the check above makes the link fail.
        std::error_code ec;
        if (IsModuleLink(*options->link)) {
            std::filesystem::remove(*options->link, ec);
        }
        std::filesystem::create_symlink(device, *options->link, ec);
        if (ec) {
            std::cerr << "tuner-module: " << options->link->string() << ": " << ec.message()
                      << '\n';
            return kExitFailure;
        }
    }

    {
        const host::com7::ModuleServer server(
            std::move(line), *config,
            {.replyDelay = std::chrono::milliseconds(options->replyDelayMs)});
        std::cout << "tuner module on " << device << std::endl;
        int signal = 0;
        sigwait(&ending, &signal);
    }
    // Only the link this run made: another may have taken the name since.
    if (std::error_code ec;
        options->link && std::filesystem::read_symlink(*options->link, ec) == device) {
        std::filesystem::remove(*options->link, ec);
    }
    return kExitSuccess;
}
