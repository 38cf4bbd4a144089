#include "gps/host_arguments.h"

namespace gps {

namespace {

constexpr std::string_view kUnitOption = "--unit";

}  // namespace

std::optional<std::string> VersionOrHelp(std::span<const std::string_view> arguments,
                                         std::string_view versionLine, std::string_view usage) {
    if (arguments.size() != 1) {
        return std::nullopt;
    }
    if (arguments[0] == "--version") {
        return std::string(versionLine);
    }
    if (arguments[0] == "--help" || arguments[0] == "-h") {
        return std::string(usage) + "       gps --version | --help\n";
    }
    return std::nullopt;
}

HostArguments ExtractUnitOption(std::span<const std::string_view> arguments) {
    HostArguments out;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] != kUnitOption) {
            out.words.push_back(arguments[i]);
            continue;
        }
        if (i + 1 == arguments.size() || arguments[i + 1].empty()) {
            out.unitDirectoryMissing = true;
            ++i;
            continue;
        }
        out.unitDirectory = arguments[i + 1];
        ++i;
    }
    return out;
}

std::string JoinHostArguments(std::span<const std::string_view> words) {
    std::string line;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0) {
            line += ' ';
        }
        line += words[i];
    }
    return line;
}

}  // namespace gps
