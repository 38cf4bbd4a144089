// A stand-in for gpsd on 127.0.0.1 (a free port): it greets each client
// with gpsd's VERSION banner (or whatever banner the test gives), answers
// its ?WATCH with the DEVICES and WATCH replies, then sends it what the test
// hands over. The test can drop the client, as a gpsd that goes away does,
// or have every client dropped as soon as it has asked to watch.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/unit/line_splitter.h"
#include "host/unit/unique_fd.h"

namespace test_support {

inline constexpr const char* kGpsdBanner =
    "{\"class\":\"VERSION\",\"release\":\"3.22\",\"rev\":\"3.22\",\"proto_major\":3,"
    "\"proto_minor\":14}\r\n";
inline constexpr const char* kGpsdWatchReplies =
    "{\"class\":\"DEVICES\",\"devices\":[{\"class\":\"DEVICE\",\"path\":\"/dev/ttyACM0\","
    "\"driver\":\"NMEA0183\",\"activated\":\"2026-12-08T08:04:45.455Z\",\"native\":0,"
    "\"bps\":9600,\"parity\":\"N\",\"stopbits\":1,\"cycle\":1.00}]}\r\n"
    "{\"class\":\"WATCH\",\"enable\":true,\"json\":false,\"nmea\":true,\"raw\":0,"
    "\"scaled\":false,\"timing\":false,\"split24\":false,\"pps\":false}\r\n";

// A socket bound to a free port of 127.0.0.1, listening or not (then a
// connection there is refused); invalid when there is none.
inline host::unit::UniqueFd BindLoopback(int* port, bool listening) {
    host::unit::UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (!fd.valid() || ::bind(fd.get(), reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        (listening && ::listen(fd.get(), 4) != 0) ||
        ::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        return {};
    }
    *port = ntohs(address.sin_port);
    return fd;
}

class FakeGpsd {
  public:
    explicit FakeGpsd(std::string banner = kGpsdBanner)
        : banner_(std::move(banner)), wake_(::eventfd(0, EFD_CLOEXEC)) {
        listen_ = BindLoopback(&port_, true);
        if (listen_.valid() && wake_.valid()) {
            thread_ = std::thread([this] { Run(); });
        }
    }
    ~FakeGpsd() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        Wake();
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    FakeGpsd(const FakeGpsd&) = delete;
    FakeGpsd& operator=(const FakeGpsd&) = delete;

    [[nodiscard]] bool ok() const { return thread_.joinable(); }
    [[nodiscard]] int Port() const { return port_; }
    [[nodiscard]] std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }

    // Bytes for the client that watches (kept until one does).
    void Send(const std::string& bytes) {
        {
            std::lock_guard lock(mutex_);
            out_ += bytes;
        }
        Wake();
    }
    // Closes the client's connection, as a gpsd that goes away.
    void DropClient() {
        {
            std::lock_guard lock(mutex_);
            drop_ = true;
        }
        Wake();
    }
    // Every client is dropped right after its ?WATCH is answered.
    void SetDropWatchers(bool drop) {
        std::lock_guard lock(mutex_);
        dropWatchers_ = drop;
    }
    // Waits until n clients in all have asked to watch.
    bool WaitForWatchers(int n, std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return watchers_ >= n; });
    }
    // Every line clients sent.
    std::vector<std::string> Requests() {
        std::lock_guard lock(mutex_);
        return requests_;
    }

  private:
    void Wake() {
        const std::uint64_t one = 1;
        static_cast<void>(::write(wake_.get(), &one, sizeof one));
    }
    void Put(const std::string& bytes) {
        static_cast<void>(::send(client_.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL));
    }
    void Run() {
        host::unit::LineSplitter lines(4096);
        bool watching = false;
        for (;;) {
            std::array<pollfd, 3> fds{{{wake_.get(), POLLIN, 0},
                                       {client_.valid() ? -1 : listen_.get(), POLLIN, 0},
                                       {client_.get(), POLLIN, 0}}};
            if (::poll(fds.data(), fds.size(), -1) < 0) {
                continue;
            }
            if (fds[0].revents != 0) {
                std::uint64_t count = 0;
                static_cast<void>(::read(wake_.get(), &count, sizeof count));
            }
            std::unique_lock lock(mutex_);
            if (stop_) {
                return;
            }
            if (drop_) {
                drop_ = false;
                client_.reset();
                watching = false;
            }
            if (fds[1].revents != 0 && !client_.valid()) {
                client_.reset(::accept4(listen_.get(), nullptr, nullptr, SOCK_CLOEXEC));
                lines.Reset();
                Put(banner_);
                continue;
            }
            if (client_.valid() && fds[2].revents != 0) {
                bool dropNow = false;
                std::array<char, 1024> buffer{};
                const ssize_t n = ::recv(client_.get(), buffer.data(), buffer.size(), 0);
                if (n <= 0) {
                    client_.reset();
                    watching = false;
                    continue;
                }
                lines.Feed(std::string_view(buffer.data(), static_cast<std::size_t>(n)),
                           [&](std::string_view line, bool /*overlong*/) {
                               requests_.emplace_back(line);
                               if (line.starts_with("?WATCH=")) {
                                   Put(kGpsdWatchReplies);
                                   watching = true;
                                   ++watchers_;
                                   changed_.notify_all();
                                   dropNow = dropWatchers_;
                               }
                           });
                if (dropNow) {
                    client_.reset();
                    watching = false;
                    continue;
                }
            }
            if (watching && !out_.empty()) {
                Put(out_);
                out_.clear();
            }
        }
    }

    const std::string banner_;
    host::unit::UniqueFd wake_;
    host::unit::UniqueFd listen_;
    host::unit::UniqueFd client_;
    int port_ = 0;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::string out_;
    bool drop_ = false;
    bool dropWatchers_ = false;
    bool stop_ = false;
    int watchers_ = 0;
    std::vector<std::string> requests_;

    std::thread thread_;
};

}  // namespace test_support
