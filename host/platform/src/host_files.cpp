#include "host_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "host/unit/unique_fd.h"

namespace host::unit {

namespace fs = std::filesystem;

namespace {

std::optional<struct stat> StatOf(const fs::path& p, bool followLinks) {
    struct stat st {};
    if ((followLinks ? ::stat(p.c_str(), &st) : ::lstat(p.c_str(), &st)) != 0) {
        return std::nullopt;
    }
    return st;
}

std::error_code LastErrno() {
    return {errno, std::generic_category()};
}

std::error_code CopyHostFileContent(const fs::path& from, const fs::path& to,
                                    const struct stat& st) {
    const UniqueFd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in.valid()) {
        return LastErrno();
    }
    const UniqueFd out(
        ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 07777));
    if (!out.valid()) {
        return LastErrno();
    }
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t n = ::read(in.get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return LastErrno();
        }
        if (n == 0) {
            break;
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w =
                ::write(out.get(), buffer.data() + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR) {
                continue;
            }
            if (w < 0) {
                return LastErrno();
            }
            done += w;
        }
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (::futimens(out.get(), times) != 0) {
        return LastErrno();
    }
    return {};
}

}  // namespace

bool HostIsDirectory(const fs::path& p) {
    const auto st = StatOf(p, true);
    return st && S_ISDIR(st->st_mode);
}

bool HostExists(const fs::path& p) {
    return StatOf(p, true).has_value();
}

std::optional<std::uint64_t> HostFileSize(const fs::path& p) {
    const auto st = StatOf(p, true);
    if (!st || !S_ISREG(st->st_mode)) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(st->st_size);
}

bool HostIsSymlink(const fs::path& p) {
    const auto st = StatOf(p, false);
    return st && S_ISLNK(st->st_mode);
}

std::error_code CopyHostTree(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    for (fs::directory_iterator it(from, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path source = it->path();
        const fs::path target = to / source.filename();
        const auto st = StatOf(source, false);
        if (!st) {
            return LastErrno();
        }
        if (S_ISLNK(st->st_mode)) {
            std::string link(static_cast<std::size_t>(st->st_size) + 1, '\0');
            const ssize_t n = ::readlink(source.c_str(), link.data(), link.size());
            if (n < 0) {
                return LastErrno();
            }
            link.resize(static_cast<std::size_t>(n));
            if (::symlink(link.c_str(), target.c_str()) != 0) {
                return LastErrno();
            }
        } else if (S_ISDIR(st->st_mode)) {
            if (::mkdir(target.c_str(), st->st_mode & 07777) != 0) {
                return LastErrno();
            }
            if (const std::error_code inner = CopyHostTree(source, target)) {
                return inner;
            }
        } else if (const std::error_code copied = CopyHostFileContent(source, target, *st)) {
            return copied;
        }
    }
    return ec;
}

}  // namespace host::unit
