#include "gps/command_line.h"

#include "platform/text.h"

namespace gps {

CommandLine SplitCommandLine(std::string_view line) {
    line = line.substr(0, line.find('\0'));
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos) {
        return {};
    }
    CommandLine out;
    out.word = line.substr(0, space);
    out.driverName = line.substr(space + 1);
    // Over-long parts are refused rather than cut: a truncated driver name
    // could name a different key.
    out.valid = !out.driverName.empty() && platform::WideLength(out.word) <= kMaxWordLength &&
                platform::WideLength(out.driverName) <= kMaxWordLength;
    return out;
}

}  // namespace gps
