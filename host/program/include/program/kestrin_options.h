// The host command line of `kestrin` (the unit's own build takes none).
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace program {

struct KestrinOptions {
    std::optional<std::filesystem::path> unitDir;     // --unit DIR: that unit, in place
    bool freshCopy = false;                           // --fresh-copy: a copy of it instead
    bool headless = false;                            // --headless
    std::vector<std::filesystem::path> scripts;       // --script FILE|DIR ...
    bool realTime = false;                            // --real-time
    std::optional<std::filesystem::path> junit;       // --junit FILE
    std::optional<std::filesystem::path> artifacts;   // --artifacts DIR
    bool updateScreens = false;                       // --update-screens
    std::optional<std::filesystem::path> record;      // --record FILE
    int scale = 2;                                    // --scale N, 1 to 8
    std::optional<std::filesystem::path> screenshot;  // --screenshot FILE, at the end
    std::optional<std::filesystem::path> audioOut;    // --audio-out FILE, at the end
    bool debugEcho = false;                           // --debug-echo
    bool demo = false;     // --demo: the framework's demo dialog instead of the console
    bool help = false;     // --help
    bool version = false;  // --version
};

struct ParsedKestrinOptions {
    std::optional<KestrinOptions> options;
    std::string error;  // when options is empty
};

// The arguments after the program's name. Each option may be given once;
// --script takes every word up to the next option.
ParsedKestrinOptions ParseKestrinOptions(std::span<const std::string_view> arguments);

// The usage text, ending in a newline.
std::string KestrinUsage();

}  // namespace program
