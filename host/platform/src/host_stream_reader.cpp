#include "host/unit/host_stream_reader.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <utility>

namespace host::unit {

UniqueFd DuplicateStdin() {
    return UniqueFd(::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0));
}

HostStreamReader::HostStreamReader(UniqueFd fd, Sink sink, End end)
    : fd_(std::move(fd)),
      wake_(::eventfd(0, EFD_CLOEXEC)),
      sink_(std::move(sink)),
      end_(std::move(end)) {
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
    const auto ended = [this] {
        if (end_) {
            end_();
        }
    };
    for (;;) {
        std::array<pollfd, 2> fds{{{fd_.get(), POLLIN, 0}, {wake_.get(), POLLIN, 0}}};
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return ended();
        }
        if (fds[1].revents != 0) {
            return;
        }
        if ((fds[0].revents & POLLIN) == 0) {
            if ((fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
                return ended();  // the device went away
            }
            continue;
        }
        const ssize_t n = ::read(fd_.get(), buffer.data(), buffer.size());
        if (n > 0) {
            sink_(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
        } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
            return ended();  // end of input or the device went away
        }
    }
}

}  // namespace host::unit
