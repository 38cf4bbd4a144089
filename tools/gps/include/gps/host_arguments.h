// How the host build of the driver switch turns its argv into the one
// command-line string the tool splits.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace gps {

struct HostArguments {
    std::vector<std::string_view> words;  // the tool's own words, in order
    std::optional<std::string_view> unitDirectory;
    // Some "--unit" had no directory after it (it was last, or followed by an
    // empty argument): the host reports a usage error, whatever else came.
    bool unitDirectoryMissing = false;
};

// Takes the arguments after the program's name and removes "--unit DIR"
// wherever it stands; of several, the last directory wins. The views point
// into `arguments`.
HostArguments ExtractUnitOption(std::span<const std::string_view> arguments);

// What `--version` or `--help` (`-h`) prints on standard output when it is
// alone on the line (every other word is the tool's): the version line, or
// the backend's usage with the line naming the two. Empty otherwise.
std::optional<std::string> VersionOrHelp(std::span<const std::string_view> arguments,
                                         std::string_view versionLine, std::string_view usage);

// Joins the words with single spaces. Each word is kept as it is, so one
// quoted argument such as "off  12" reaches the split with both spaces.
std::string JoinHostArguments(std::span<const std::string_view> words);

}  // namespace gps
