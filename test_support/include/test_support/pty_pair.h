// A pseudo-terminal pair: the test holds the master (the far end of the
// line) and COM7: opens the slave by its path.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace test_support {

class PtyPair {
  public:
    PtyPair() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) {
            if (const char* name = ::ptsname(master_)) {
                path_ = name;
            }
        }
    }
    ~PtyPair() {
        if (master_ >= 0) {
            ::close(master_);
        }
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    [[nodiscard]] bool ok() const { return master_ >= 0 && !path_.empty(); }
    [[nodiscard]] const std::string& SlavePath() const { return path_; }
    [[nodiscard]] int Master() const { return master_; }

    bool Write(const std::vector<std::uint8_t>& bytes) const {
        return ::write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    // Reads exactly n bytes from the master, waiting at most timeoutMs for
    // each; fewer when the time runs out.
    [[nodiscard]] std::vector<std::uint8_t> Read(std::size_t n, int timeoutMs = 10'000) const {
        std::vector<std::uint8_t> out;
        while (out.size() < n) {
            pollfd fd{master_, POLLIN, 0};
            if (::poll(&fd, 1, timeoutMs) <= 0) {
                break;
            }
            std::uint8_t buffer[256];
            const ssize_t got = ::read(master_, buffer, std::min(sizeof buffer, n - out.size()));
            if (got <= 0) {
                break;
            }
            out.insert(out.end(), buffer, buffer + got);
        }
        return out;
    }

  private:
    int master_ = -1;
    std::string path_;
};

}  // namespace test_support
