// The command line of the driver switch: a command word, exactly one space,
// and a driver name that is everything after it (spaces included).
#pragma once

#include <cstddef>
#include <string_view>

namespace gps {

// The longest command word or driver name, in wide characters: each is held
// in 256 characters with its terminator on the unit.
inline constexpr std::size_t kMaxWordLength = 255;

struct CommandLine {
    bool valid = false;           // false: "Parametros incorrectos", exit 1
    std::string_view word;        // the command word, without the space
    std::string_view driverName;  // the rest after exactly one space
};

// Splits `line` (views into it are returned). The line ends at its first NUL
// character, as the unit's command-line string does. Invalid when no space
// follows the first word, when nothing follows that space, or when either
// part is longer than kMaxWordLength wide characters.
CommandLine SplitCommandLine(std::string_view line);

}  // namespace gps
