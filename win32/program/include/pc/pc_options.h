// The command line of kestrin.exe on a PC.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pc {

inline constexpr int kExitUsage = 2;  // bad arguments or script

struct PcOptions {
    std::optional<std::string> root;        // --root DIR (default: "unit" beside the program)
    std::string com7Port = "COM7";          // --com7 COMn: the PC's port behind "COM7:"
    bool headless = false;                  // --headless
    bool realTime = false;                  // --real-time (a PC's runs always are)
    std::vector<std::string> scripts;       // --script FILE|DIR ...
    std::optional<std::string> junit;       // --junit FILE: JUnit XML of the scripts
    std::optional<std::string> artifacts;   // --artifacts DIR: evidence of failed scripts
    bool updateScreens = false;             // --update-screens
    std::optional<std::string> screenshot;  // --screenshot FILE, at the end
    int scale = 2;                          // --scale N, 1 to 8
    bool debugEcho = false;                 // --debug-echo
    bool demo = false;                      // --demo: the framework's demo dialog
    bool help = false;                      // --help
    bool version = false;                   // --version
};

struct ParsedPcOptions {
    std::optional<PcOptions> options;
    std::string error;  // when options is empty
};

// The arguments after the program's name (UTF-8). Each option may be given
// once.
ParsedPcOptions ParsePcOptions(std::span<const std::string_view> arguments);

// The usage text, ending in a newline.
std::string PcUsage();

}  // namespace pc
