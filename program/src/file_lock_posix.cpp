#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "file_lock.h"

namespace program::detail {

namespace {

class PosixLock final : public FileLock {
  public:
    explicit PosixLock(int fd) : fd_(fd) {}
    ~PosixLock() override { close(fd_); }

  private:
    int fd_;
};

std::string ReadHolder(int fd) {
    std::string text(256, '\0');
    const ssize_t n = pread(fd, text.data(), text.size(), 0);
    text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    const std::size_t at = text.rfind("process ");
    if (at == std::string::npos) {
        return {};
    }
    return text.substr(at, text.find('\n', at) - at);
}

// Renames with three steps, through a name beside b.
platform::Result<void> ExchangeByRenames(const std::filesystem::path& a,
                                         const std::filesystem::path& b) {
    std::filesystem::path aside = b;
    aside += ".kestrin-exchange";
    std::error_code ec;
    std::filesystem::rename(b, aside, ec);
    if (!ec) {
        std::filesystem::rename(a, b, ec);
        if (ec) {
            std::error_code back;
            std::filesystem::rename(aside, b, back);
        } else {
            std::filesystem::rename(aside, a, ec);
        }
    }
    if (ec) {
        return platform::Fail(ec.message());
    }
    return {};
}

}  // namespace

platform::Result<std::unique_ptr<FileLock>, LockRefused> FileLock::Take(
    const std::filesystem::path& file, std::string_view text, Make make) {
    const int flags = O_RDWR | O_CLOEXEC | O_NOFOLLOW | (make == Make::IfMissing ? O_CREAT : 0);
    const int fd = open(file.c_str(), flags, 0644);
    if (fd < 0) {
        return LockRefused{{}, std::strerror(errno)};
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int why = errno;
        LockRefused refused;
        if (why == EWOULDBLOCK) {
            refused.holder = ReadHolder(fd);
            if (refused.holder.empty()) {
                refused.holder = "another process";
            }
        } else {
            refused.why = std::strerror(why);
        }
        close(fd);
        return refused;
    }
    const std::string content = std::string(text) + "process " + std::to_string(getpid()) + '\n';
    if (ftruncate(fd, 0) != 0 ||
        pwrite(fd, content.data(), content.size(), 0) != static_cast<ssize_t>(content.size())) {
        LockRefused refused{{}, std::strerror(errno)};
        close(fd);
        return refused;
    }
    return std::unique_ptr<FileLock>(std::make_unique<PosixLock>(fd));
}

bool FoldersMoveWithFilesOpen() {
    return true;
}

platform::Result<void> ExchangeFolders(const std::filesystem::path& a,
                                       const std::filesystem::path& b) {
#ifdef RENAME_EXCHANGE
    if (renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0) {
        return {};
    }
    // A file system that cannot exchange: by renames.
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
        return platform::Fail(std::strerror(errno));
    }
#endif
    return ExchangeByRenames(a, b);
}

long ProcessId() {
    return static_cast<long>(getpid());
}

}  // namespace program::detail
