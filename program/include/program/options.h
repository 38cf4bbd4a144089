// The command line of kestrin on either backend: the options both programs
// read, listed once here in their order, and each backend's own given as
// data (OptionSpec), read by one parser and listed in one usage text.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"
#include "program/suite_options.h"

namespace program {

// --open-at: where a script's run hands its unit to the window.
struct OpenAt {
    enum class Kind { Line, Fail };
    Kind kind = Kind::Line;
    int line = 0;  // Line: 1 or more
    // FILE:LINE: the script it names; nullopt for a bare LINE.
    std::optional<std::filesystem::path> file;
};

// "LINE", "FILE:LINE" or "fail", or why the word is none of them.
platform::Result<OpenAt> ParseOpenAt(std::string_view word);

struct Options {
    bool headless = false;                            // --headless
    std::vector<std::filesystem::path> scripts;       // --script FILE|DIR ...
    bool realTime = false;                            // --real-time
    SuiteOptions suite;                               // --junit, --artifacts, --update-screens
    std::optional<std::filesystem::path> record;      // --record FILE
    int scale = 2;                                    // --scale N, 1 to 8
    std::optional<std::filesystem::path> screenshot;  // --screenshot FILE, at the end
    std::optional<std::filesystem::path> dumpTree;    // --dump-tree FILE, at the end
    std::optional<OpenAt> openAt;                     // --open-at LINE|FILE:LINE|fail
    unsigned monitor = 0;  // --monitor DEVICES: program::MonitorDevice bits (traffic_monitor.h)
    // --merge-reports OUT DIR...: OUT, then the reports merged into it.
    std::vector<std::filesystem::path> mergeReports;
    bool demo = false;     // --demo: the framework's demo dialog instead of the console
    bool help = false;     // --help
    bool version = false;  // --version
};

// One option of the command line. A backend lists its own options with a
// `take`, each placed before a shared option or ahead of them all, and names
// a shared one only where its usage words it differently.
struct OptionSpec {
    enum class Takes {
        Nothing,  // a flag
        Value,    // one word after it
        Words,    // every word up to the next option
    };
    std::string_view name;  // "--unit"
    Takes takes = Takes::Nothing;
    std::string_view value;  // what the usage calls the value: "DIR"
    // The usage's text, lines separated by '\n'; for a shared option, empty
    // keeps the shared text.
    std::string_view help;
    // A backend's own option: takes the value (each word of Words; nothing
    // for a flag), or why it is refused. Empty for a shared option.
    std::function<platform::Result<void>(std::string_view value)> take;
    std::string_view sameAs;  // another spelling of that option ("/?" of "--help")
    // A backend's own option: the shared option it comes before in the
    // usage; empty: ahead of the shared options.
    std::string_view before;
    bool hidden = false;      // read, but not in the usage
    bool endProduct = false;  // writes what one run leaves, as --screenshot does
};

// A shared option's words in a backend's usage.
inline OptionSpec Shared(std::string_view name, std::string_view help) {
    OptionSpec spec;
    spec.name = name;
    spec.help = help;
    return spec;
}

// Options bound to where their values go: a flag, a path (UTF-8 on the
// command line), a value checked by take.
OptionSpec FlagOption(std::string_view name, std::string_view help, bool* to);
OptionSpec ValueOption(std::string_view name, std::string_view value, std::string_view help,
                       std::function<platform::Result<void>(std::string_view)> take);
OptionSpec PathOption(std::string_view name, std::string_view value, std::string_view help,
                      std::optional<std::filesystem::path>* to);

// The options, or why the arguments give none.
using ParsedOptions = platform::Result<Options>;

// The arguments after the program's name (UTF-8); a backend's own options
// go to their `take`. Each option may be given once.
ParsedOptions ParseOptions(std::span<const std::string_view> arguments,
                           const std::vector<OptionSpec>& own);

// The usage text, ending in a newline: the synopsis, then each option with
// its help: the backend's own where it places them among the shared ones.
std::string Usage(std::string_view program, const std::vector<OptionSpec>& own);

// The options that write what one run leaves ("--screenshot" first), for
// the message that they go with one script.
std::vector<std::string_view> EndProductOptions(const std::vector<OptionSpec>& own);

}  // namespace program
