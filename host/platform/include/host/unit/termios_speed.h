// Baud rates of the host's serial devices, for the drivers that map a unit
// port onto one (termios speed constants are not the rates themselves).
#pragma once

#include <termios.h>

#include <cstdint>
#include <optional>

namespace host::unit {

// The speed constant of a baud rate, or nothing for a rate termios lacks.
std::optional<speed_t> TermiosSpeed(std::uint32_t baud);
// The baud rate of a speed constant, or 0 for one not in the table.
std::uint32_t BaudOfSpeed(speed_t speed);

}  // namespace host::unit
