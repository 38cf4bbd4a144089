#include "host_stream.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <utility>

#include "unit/termios_speed.h"

namespace gps1 {

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

UniqueFd DuplicateStdin() {
    return UniqueFd(::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0));
}

HostStreamReader::HostStreamReader(UniqueFd fd, Sink sink)
    : fd_(std::move(fd)), wake_(::eventfd(0, EFD_CLOEXEC)), sink_(std::move(sink)) {
    if (fd_.valid() && wake_.valid()) {
        thread_ = std::thread([this] { Run(); });
    }
}

HostStreamReader::~HostStreamReader() {
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        static_cast<void>(::write(wake_.get(), &one, sizeof(one)));
        thread_.join();
    }
}

void HostStreamReader::Run() {
    std::array<char, 4096> buffer{};
    for (;;) {
        std::array<pollfd, 2> fds{{{fd_.get(), POLLIN, 0}, {wake_.get(), POLLIN, 0}}};
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[1].revents != 0) {
            return;
        }
        if ((fds[0].revents & POLLIN) == 0) {
            if ((fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
                return;  // the device went away
            }
            continue;
        }
        const ssize_t n = ::read(fd_.get(), buffer.data(), buffer.size());
        if (n > 0) {
            sink_(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
        } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
            return;  // end of input or the device went away
        }
    }
}

}  // namespace gps1
