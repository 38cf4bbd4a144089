#include "host/com7/module_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <deque>
#include <optional>
#include <span>

#include "devices/com7.h"
#include "host/unit/termios_speed.h"

namespace host::com7 {

namespace {

// The longest the server sleeps without looking at its wake-up, and how
// long it rests while nobody holds the other end of a pseudo-terminal.
constexpr int kMostSleepMs = 1000;
constexpr int kNoPeerRestMs = 20;

// Word A zero marks a reply; RDS groups carry the station's PI there.
bool IsReply(const ModuleFrame& frame) {
    return frame[1] == 0 && frame[2] == 0;
}

bool MakeRaw(int fd) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        return false;
    }
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    const std::optional<speed_t> speed = unit::TermiosSpeed(kRdsBaudRate);
    return speed && ::cfsetispeed(&tio, *speed) == 0 && ::cfsetospeed(&tio, *speed) == 0 &&
           ::tcsetattr(fd, TCSANOW, &tio) == 0;
}

}  // namespace

ModuleServer::ModuleServer(unit::UniqueFd fd, const ModuleConfig& config, ServerOptions options)
    : fd_(std::move(fd)),
      wake_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      module_(config),
      options_(options) {
    if (fd_.valid() && wake_.valid()) {
        thread_ = std::thread([this] { Run(); });
    }
}

ModuleServer::~ModuleServer() {
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        static_cast<void>(::write(wake_.get(), &one, sizeof one));
        thread_.join();
    }
}

void ModuleServer::Run() {
    const auto start = std::chrono::steady_clock::now();
    auto nowUs = [start] {
        return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                              std::chrono::steady_clock::now() - start)
                                              .count());
    };
    const auto delayUs = static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::microseconds>(options_.replyDelay).count());
    auto send = [this](const ModuleFrame& frame) {
        // Nobody reading and the line's buffer full: the frame is lost, as
        // on a line nobody listens to.
        if (::write(fd_.get(), frame.data(), frame.size()) == static_cast<ssize_t>(frame.size())) {
            sent_.fetch_add(1);
        }
    };

    std::deque<TimedFrame> held;  // replies waiting for their delay, in order
    module_.PowerUp(0);
    std::array<std::uint8_t, 256> buffer{};
    for (;;) {
        const std::uint64_t now = nowUs();
        while (auto frame = module_.TakeFrame(now)) {
            if (delayUs > 0 && IsReply(frame->bytes)) {
                held.push_back({frame->readyUs + delayUs, frame->bytes});
            } else {
                send(frame->bytes);
            }
        }
        while (!held.empty() && held.front().readyUs <= now) {
            send(held.front().bytes);
            held.pop_front();
        }

        std::optional<std::uint64_t> next = module_.NextFrameUs();
        if (!held.empty() && (!next || held.front().readyUs < *next)) {
            next = held.front().readyUs;
        }
        int timeoutMs = kMostSleepMs;
        if (next) {
            const std::uint64_t waitUs = *next > now ? *next - now : 0;
            timeoutMs =
                static_cast<int>(std::min<std::uint64_t>((waitUs + 999) / 1000, kMostSleepMs));
        }
        std::array<pollfd, 2> fds{{{fd_.get(), POLLIN, 0}, {wake_.get(), POLLIN, 0}}};
        if (::poll(fds.data(), fds.size(), timeoutMs) < 0 && errno != EINTR) {
            return;
        }
        if (fds[1].revents != 0) {
            return;
        }
        if ((fds[0].revents & POLLIN) != 0) {
            const ssize_t n = ::read(fd_.get(), buffer.data(), buffer.size());
            if (n > 0) {
                received_.fetch_add(static_cast<std::uint64_t>(n));
                module_.Receive(std::span(buffer.data(), static_cast<std::size_t>(n)), nowUs());
            }
        } else if ((fds[0].revents & (POLLHUP | POLLERR)) != 0) {
            // No one on the other end: what the module sends meanwhile is
            // not heard, and the stream goes on from when someone is back.
            held.clear();
            std::array<pollfd, 1> wakeOnly{{{wake_.get(), POLLIN, 0}}};
            if (::poll(wakeOnly.data(), wakeOnly.size(), kNoPeerRestMs) > 0) {
                return;
            }
            module_.Skip(nowUs());
        }
    }
}

unit::UniqueFd OpenPseudoTerminal(std::string* slavePath, int* error) {
    unit::UniqueFd master(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    std::array<char, 128> name{};
    if (!master.valid() || ::grantpt(master.get()) != 0 || ::unlockpt(master.get()) != 0 ||
        ::ptsname_r(master.get(), name.data(), name.size()) != 0 || !MakeRaw(master.get()) ||
        ::fcntl(master.get(), F_SETFL, O_NONBLOCK) != 0) {
        *error = errno;
        return {};
    }
    *slavePath = name.data();
    return master;
}

unit::UniqueFd OpenModuleLine(const std::string& path, int* error) {
    unit::UniqueFd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid() || !MakeRaw(fd.get())) {
        *error = errno;
        return {};
    }
    return fd;
}

}  // namespace host::com7
