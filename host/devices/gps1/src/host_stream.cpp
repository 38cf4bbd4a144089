#include "host_stream.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "host/unit/termios_speed.h"

namespace host::gps1 {

bool IsSupportedBaud(std::int64_t baud) {
    return baud >= 0 && baud <= UINT32_MAX &&
           unit::TermiosSpeed(static_cast<std::uint32_t>(baud)).has_value();
}

UniqueFd OpenSerial(const std::string& path, std::uint32_t baud, int* error) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) {
        *error = errno;
        return fd;
    }
    termios tio{};
    if (::tcgetattr(fd.get(), &tio) != 0) {
        return fd;  // not a terminal: read it as it is
    }
    const speed_t speed = unit::TermiosSpeed(baud).value_or(B9600);
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0 ||
        ::tcsetattr(fd.get(), TCSANOW, &tio) != 0) {
        *error = errno;
        return {};
    }
    ::tcflush(fd.get(), TCIFLUSH);
    return fd;
}

}  // namespace host::gps1
