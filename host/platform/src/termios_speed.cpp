#include "host/unit/termios_speed.h"

#include <array>
#include <utility>

namespace host::unit {

namespace {

constexpr std::array<std::pair<std::uint32_t, speed_t>, 15> kSpeeds = {{
    {110, B110},
    {300, B300},
    {600, B600},
    {1200, B1200},
    {2400, B2400},
    {4800, B4800},
    {9600, B9600},
    {19200, B19200},
    {38400, B38400},
    {57600, B57600},
    {115200, B115200},
    {230400, B230400},
    {460800, B460800},
    {500000, B500000},
    {921600, B921600},
}};

}  // namespace

std::optional<speed_t> TermiosSpeed(std::uint32_t baud) {
    for (const auto& [rate, speed] : kSpeeds) {
        if (rate == baud) {
            return speed;
        }
    }
    return std::nullopt;
}

std::uint32_t BaudOfSpeed(speed_t speed) {
    for (const auto& [rate, code] : kSpeeds) {
        if (code == speed) {
            return rate;
        }
    }
    return 0;
}

}  // namespace host::unit
