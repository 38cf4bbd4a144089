#include "gpsd_client.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <limits>
#include <memory>
#include <system_error>
#include <utility>

namespace host::gps1 {

namespace {

// Enough for any delay to have reached the longest.
constexpr int kFailuresCounted = 64;

std::string ErrorText(int error) {
    return std::generic_category().message(error);
}

std::string Seconds(std::chrono::milliseconds ms) {
    const auto tenths = ms.count() / 100;
    return std::to_string(tenths / 10) +
           (tenths % 10 != 0 ? "." + std::to_string(tenths % 10) : "") + " s";
}

// Asks the host to probe a quiet connection, so that a gpsd host that
// vanished without closing it ends the session (ETIMEDOUT) and the client
// reconnects.
bool KeepAlive(int fd, const GpsdTiming& timing) {
    const int on = 1;
    const int idle = static_cast<int>(timing.keepIdle.count());
    const int interval = static_cast<int>(timing.keepInterval.count());
    return ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on) == 0 &&
           ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle) == 0 &&
           ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval) == 0 &&
           ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &timing.keepCount, sizeof timing.keepCount) ==
               0;
}

}  // namespace

std::chrono::milliseconds GpsdRetryDelay(int failures, const GpsdTiming& timing) {
    std::chrono::milliseconds delay = timing.firstRetry;
    for (int i = 0; i < failures && delay < timing.lastRetry; ++i) {
        delay *= 2;
    }
    return std::min(delay, timing.lastRetry);
}

// One lookup of gpsd's host, on a thread of its own: a name server that
// does not answer can keep getaddrinfo for many seconds, and the client
// must be able to go away meanwhile. Whichever of the two ends last frees
// it.
struct GpsdLookup {
    unit::UniqueFd ready{::eventfd(0, EFD_CLOEXEC)};  // readable once done
    int rc = 0;
    int error = 0;  // errno, for EAI_SYSTEM
    addrinfo* found = nullptr;

    GpsdLookup() = default;
    GpsdLookup(const GpsdLookup&) = delete;
    GpsdLookup& operator=(const GpsdLookup&) = delete;
    ~GpsdLookup() {
        if (found != nullptr) {
            ::freeaddrinfo(found);
        }
    }
};

GpsdClient::GpsdClient(GpsdAddress address, Sink sink, Report report, GpsdTiming timing,
                       Resolver resolver)
    : address_(std::move(address)),
      sink_(std::move(sink)),
      report_(std::move(report)),
      timing_(timing),
      resolver_(
          resolver
              ? std::move(resolver)
              : [](const std::string& host, const std::string& port, const addrinfo& hints,
                   addrinfo**
                       found) { return ::getaddrinfo(host.c_str(), port.c_str(), &hints, found); }),
      wake_(::eventfd(0, EFD_CLOEXEC)) {
    if (!wake_.valid()) {
        report_("GPS1: cannot wait for gpsd (" + ErrorText(errno) + "); no bytes will come");
        return;
    }
    thread_ = std::thread([this] { Run(); });
    std::unique_lock lock(mutex_);
    firstTry_.wait_for(lock, timing_.connect + timing_.greeting + std::chrono::seconds(1),
                       [this] { return firstTryDone_; });
}

GpsdClient::~GpsdClient() {
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        static_cast<void>(::write(wake_.get(), &one, sizeof(one)));
        thread_.join();
    }
}

void GpsdClient::FirstTryDone() {
    {
        std::lock_guard lock(mutex_);
        firstTryDone_ = true;
    }
    firstTry_.notify_all();
}

int GpsdClient::WaitFd(int fd, short events, std::chrono::milliseconds timeout) {
    std::array<pollfd, 2> fds{{{wake_.get(), POLLIN, 0}, {fd, events, 0}}};
    const nfds_t count = fd >= 0 ? 2 : 1;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        // Rounded up: poll waits whole milliseconds, and never less than the
        // time left.
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        const int ms = timeout.count() < 0 ? -1
                                           : static_cast<int>(std::clamp<std::int64_t>(
                                                 left.count(), 0, std::numeric_limits<int>::max()));
        const int n = ::poll(fds.data(), count, ms);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (fds[0].revents != 0) {
            return -1;
        }
        return n > 0 ? 1 : 0;
    }
}

void GpsdClient::Run() {
    // Tries since the last session that delivered: each waits longer.
    int failures = 0;
    // A trouble was reported and no session has delivered since: the next
    // failures stay quiet, the next delivering session is reported.
    bool troubled = false;
    for (;;) {
        std::string why;
        bool delivered = false;
        const End end = Attempt(&why, &troubled, &delivered);
        if (end == End::Stopped) {
            break;
        }
        if (delivered) {
            failures = 0;
        }
        if (end == End::Lost && !troubled) {
            report_("GPS1: gpsd at " + address_.Text() + " went away (" + why + "); reconnecting");
            troubled = true;
        } else if (!troubled) {
            report_("GPS1: cannot reach gpsd at " + address_.Text() + ": " + why +
                    "; GPS1: stays silent and tries again in the background");
            troubled = true;
        }
        FirstTryDone();
        const std::chrono::milliseconds delay = GpsdRetryDelay(failures, timing_);
        failures = std::min(failures + 1, kFailuresCounted);
        if (WaitFd(-1, 0, delay) < 0) {
            break;
        }
    }
    FirstTryDone();
}

GpsdClient::End GpsdClient::Attempt(std::string* why, bool* troubled, bool* delivered) {
    bool stopped = false;
    unit::UniqueFd fd = Connect(why, &stopped);
    if (stopped) {
        return End::Stopped;
    }
    if (!fd.valid()) {
        return End::Failed;
    }
    return Serve(std::move(fd), why, troubled, delivered);
}

std::shared_ptr<GpsdLookup> GpsdClient::Resolve(std::string* why, bool* stopped) {
    auto lookup = std::make_shared<GpsdLookup>();
    if (!lookup->ready.valid()) {
        *why = ErrorText(errno);
        return {};
    }
    try {
        std::thread([lookup, resolver = resolver_, host = address_.host, port = address_.port] {
            addrinfo hints{};
            hints.ai_family = AF_UNSPEC;
            hints.ai_socktype = SOCK_STREAM;
            lookup->rc = resolver(host, port, hints, &lookup->found);
            lookup->error = errno;
            const std::uint64_t one = 1;
            static_cast<void>(::write(lookup->ready.get(), &one, sizeof one));
        }).detach();
    } catch (const std::system_error& e) {
        *why = e.what();
        return {};
    }
    if (WaitFd(lookup->ready.get(), POLLIN, std::chrono::milliseconds(-1)) < 0) {
        *stopped = true;
        return {};
    }
    // The eventfd's write and this read order the lookup's results before
    // their use here.
    std::uint64_t count = 0;
    static_cast<void>(::read(lookup->ready.get(), &count, sizeof count));
    if (lookup->rc != 0) {
        *why = lookup->rc == EAI_SYSTEM ? ErrorText(lookup->error) : ::gai_strerror(lookup->rc);
        return {};
    }
    return lookup;
}

unit::UniqueFd GpsdClient::Connect(std::string* why, bool* stopped) {
    const std::shared_ptr<GpsdLookup> lookup = Resolve(why, stopped);
    if (!lookup) {
        return {};
    }
    for (const addrinfo* a = lookup->found; a != nullptr; a = a->ai_next) {
        unit::UniqueFd fd(
            ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol));
        if (!fd.valid()) {
            *why = ErrorText(errno);
            continue;
        }
        if (!KeepAlive(fd.get(), timing_)) {
            *why = ErrorText(errno);
            continue;
        }
        if (::connect(fd.get(), a->ai_addr, a->ai_addrlen) == 0) {
            return fd;
        }
        if (errno != EINPROGRESS) {
            *why = ErrorText(errno);
            continue;
        }
        const int ready = WaitFd(fd.get(), POLLOUT, timing_.connect);
        if (ready < 0) {
            *stopped = true;
            return {};
        }
        if (ready == 0) {
            *why = "no answer within " + Seconds(timing_.connect);
            continue;
        }
        int error = 0;
        socklen_t size = sizeof error;
        if (::getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &error, &size) != 0) {
            error = errno;
        }
        if (error == 0) {
            return fd;
        }
        *why = ErrorText(error);
    }
    return {};
}

GpsdClient::End GpsdClient::Serve(unit::UniqueFd fd, std::string* why, bool* troubled,
                                  bool* delivered) {
    GpsdSession session;
    const auto greetBy = std::chrono::steady_clock::now() + timing_.greeting;
    std::array<char, 4096> buffer{};
    for (;;) {
        const auto left = session.Watching()
                              ? std::chrono::milliseconds(-1)
                              : std::max(std::chrono::milliseconds(0),
                                         std::chrono::duration_cast<std::chrono::milliseconds>(
                                             greetBy - std::chrono::steady_clock::now()));
        const int ready = WaitFd(fd.get(), POLLIN, left);
        if (ready < 0) {
            return End::Stopped;
        }
        if (ready == 0) {
            *why = "no greeting within " + Seconds(timing_.greeting);
            return End::Failed;
        }
        const ssize_t n = ::recv(fd.get(), buffer.data(), buffer.size(), 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (n <= 0) {
            *why = n == 0 ? "the connection was closed" : ErrorText(errno);
            return session.Watching() ? End::Lost : End::Failed;
        }
        GpsdSession::Step step =
            session.Feed(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
        if (step.failure) {
            *why = std::move(*step.failure);
            return End::Failed;
        }
        if (step.askToWatch) {
            const ssize_t sent =
                ::send(fd.get(), kGpsdWatch.data(), kGpsdWatch.size(), MSG_NOSIGNAL);
            if (sent != static_cast<ssize_t>(kGpsdWatch.size())) {
                *why = sent < 0 ? ErrorText(errno) : "the request was cut short";
                return End::Failed;
            }
            ++sessions_;
            FirstTryDone();
        }
        if (!*delivered && session.Delivered()) {
            *delivered = true;
            if (*troubled) {
                report_("GPS1: connected to gpsd at " + address_.Text());
                *troubled = false;
            }
        }
        if (!step.sentences.empty()) {
            sink_(step.sentences);
        }
    }
}

}  // namespace host::gps1
