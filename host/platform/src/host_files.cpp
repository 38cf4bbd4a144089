#include "host_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

// Writes [at, end) of in to out at the same offsets.
std::error_code CopyRange(int in, int out, off_t at, off_t end, std::vector<char>& buffer) {
    while (at < end) {
        const auto want =
            static_cast<std::size_t>(std::min<off_t>(end - at, static_cast<off_t>(buffer.size())));
        const ssize_t n = ::pread(in, buffer.data(), want, at);
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
                ::pwrite(out, buffer.data() + done, static_cast<std::size_t>(n - done), at + done);
            if (w < 0 && errno == EINTR) {
                continue;
            }
            if (w < 0) {
                return LastErrno();
            }
            done += w;
        }
        at += n;
    }
    return {};
}

// The data of a file, its holes left holes (a sparse map file stays sparse).
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
    if (::ftruncate(out.get(), st.st_size) != 0) {
        return LastErrno();
    }
    std::vector<char> buffer(1 << 16);
    for (off_t at = 0; at < st.st_size;) {
        off_t data = ::lseek(in.get(), at, SEEK_DATA);
        if (data < 0 && errno == ENXIO) {
            break;  // only a hole is left
        }
        off_t hole = data < 0 ? st.st_size : ::lseek(in.get(), data, SEEK_HOLE);
        if (data < 0) {
            data = at;  // no holes known here: all of it is data
        }
        if (hole < 0) {
            hole = st.st_size;
        }
        if (const std::error_code copied = CopyRange(in.get(), out.get(), data, hole, buffer)) {
            return copied;
        }
        at = hole;
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

std::error_code DuplicateHostFile(const fs::path& from, const fs::path& to) {
    const auto st = StatOf(from, true);
    if (!st) {
        return LastErrno();
    }
    return CopyHostFileContent(from, to, *st);
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
