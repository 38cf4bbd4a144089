#include "host/unit/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "host/unit/unique_fd.h"

namespace host::unit {

namespace {

// Why a file of this mode is none to read whole; empty for a regular file.
std::string NotAFile(mode_t mode) {
    if (S_ISREG(mode)) {
        return {};
    }
    const char* kind = S_ISDIR(mode)                    ? "a folder"
                       : S_ISFIFO(mode)                 ? "a FIFO"
                       : S_ISCHR(mode) || S_ISBLK(mode) ? "a device"
                       : S_ISSOCK(mode)                 ? "a socket"
                                                        : "an unknown kind of file";
    return std::string(kind) + ", not a file";
}

}  // namespace

std::string ReadRegularFile(const std::filesystem::path& path, std::string* bytes,
                            std::uintmax_t most) {
    struct stat named {};
    if (::stat(path.c_str(), &named) != 0) {
        return std::strerror(errno);
    }
    if (std::string why = NotAFile(named.st_mode); !why.empty()) {
        return why;  // not even opened: a device's open may act on it
    }
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat opened {};
    if (!fd.valid() || ::fstat(fd.get(), &opened) != 0) {
        return std::strerror(errno);
    }
    if (std::string why = NotAFile(opened.st_mode); !why.empty()) {
        return why;
    }
    const auto size = static_cast<std::uintmax_t>(opened.st_size);
    if (size > most) {
        return "larger than " + std::to_string(most / (std::uintmax_t{1024} * 1024)) + " MiB";
    }
    bytes->assign(static_cast<std::size_t>(size), '\0');
    std::size_t got = 0;
    while (got < bytes->size()) {
        const ssize_t n = ::read(fd.get(), bytes->data() + got, bytes->size() - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return std::strerror(errno);
        }
        if (n == 0) {
            break;  // cut short as it was read
        }
        got += static_cast<std::size_t>(n);
    }
    bytes->resize(got);
    return {};
}

}  // namespace host::unit
