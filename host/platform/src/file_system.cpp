#include "file_system.h"

#include <sys/stat.h>

#include <algorithm>
#include <optional>
#include <system_error>

#include "host_files.h"
#include "unit_path.h"

namespace fs = std::filesystem;

namespace host::unit {

using platform::DWORD;
using platform::ERROR_PATH_NOT_FOUND;

FileSystem::FileSystem(fs::path root) {
    std::error_code ec;
    root_ = fs::weakly_canonical(root, ec);
    if (ec) {
        root_ = std::move(root);
    }
}

bool FileSystem::Inside(const fs::path& host) const {
    std::error_code ec;
    const fs::path real = fs::canonical(host, ec);
    if (ec) {
        return false;
    }
    const fs::path rel = real.lexically_relative(root_);
    return !rel.empty() && *rel.begin() != "..";
}

std::optional<std::string> FileSystem::Lookup(const fs::path& dir, std::string_view name) const {
    std::error_code ec;
    std::optional<std::string> best;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string candidate = it->path().filename().string();
        if (!EqualsNoCase(candidate, name)) {
            continue;
        }
        if (candidate == name) {
            return candidate;
        }
        if (!best || candidate < *best) {
            best = candidate;
        }
    }
    return best;
}

std::variant<FsEntry, DWORD> FileSystem::ResolveDir(
    const std::vector<std::string>& components) const {
    FsEntry entry{root_, {}, true, true};
    for (const auto& part : components) {
        const auto found = Lookup(entry.host, part);
        if (!found) {
            return ERROR_PATH_NOT_FOUND;
        }
        const fs::path next = entry.host / *found;
        if ((HostIsSymlink(next) && !Inside(next)) || !HostIsDirectory(next)) {
            return ERROR_PATH_NOT_FOUND;
        }
        entry.host = next;
        entry.name = *found;
    }
    return entry;
}

std::variant<FsEntry, DWORD> FileSystem::Resolve(std::string_view unitPath) const {
    const auto split = SplitUnitPath(unitPath, false);
    if (!split) {
        return ERROR_PATH_NOT_FOUND;
    }
    if (split->components.empty()) {
        return FsEntry{root_, {}, true, true};
    }
    std::vector<std::string> parents(split->components.begin(), split->components.end() - 1);
    auto parent = ResolveDir(parents);
    if (auto* err = std::get_if<DWORD>(&parent)) {
        return *err;
    }
    const fs::path dir = std::get<FsEntry>(parent).host;
    const std::string& last = split->components.back();
    const auto found = Lookup(dir, last);
    if (!found) {
        if (split->trailingSeparator) {
            return ERROR_PATH_NOT_FOUND;
        }
        return FsEntry{dir / last, last, false, false};
    }
    const fs::path host = dir / *found;
    if (HostIsSymlink(host) && !Inside(host)) {
        return ERROR_PATH_NOT_FOUND;
    }
    const bool isDir = HostIsDirectory(host);
    if (split->trailingSeparator && !isDir) {
        return ERROR_PATH_NOT_FOUND;
    }
    return FsEntry{host, *found, true, isDir};
}

std::vector<FsEntry> FileSystem::List(const fs::path& dir, std::string_view pattern) const {
    std::vector<FsEntry> out;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!WildcardMatch(pattern, name)) {
            continue;
        }
        if (HostIsSymlink(it->path()) && !Inside(it->path())) {
            continue;
        }
        out.push_back({it->path(), name, true, HostIsDirectory(it->path())});
    }
    std::sort(out.begin(), out.end(), [](const FsEntry& a, const FsEntry& b) {
        if (EqualsNoCase(a.name, b.name)) {
            return a.name < b.name;
        }
        return LessNoCase(a.name, b.name);
    });
    return out;
}

platform::FILETIME ToFileTime(std::int64_t unixSeconds, long nanoseconds) {
    constexpr std::int64_t kEpochDelta = 11644473600;  // 1601-01-01 to 1970-01-01
    const std::int64_t seconds = unixSeconds + kEpochDelta;
    platform::FILETIME ft;
    if (seconds < 0) {
        return ft;
    }
    const auto ticks = static_cast<std::uint64_t>(seconds) * 10000000ULL +
                       static_cast<std::uint64_t>(nanoseconds / 100);
    ft.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFULL);
    ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return ft;
}

platform::WIN32_FIND_DATA FileSystem::FindData(const FsEntry& entry) {
    platform::WIN32_FIND_DATA data;
    data.cFileName = entry.name;
    struct stat st {};
    if (::stat(entry.host.c_str(), &st) != 0) {
        data.dwFileAttributes = platform::FILE_ATTRIBUTE_NORMAL;
        return data;
    }
    if (S_ISDIR(st.st_mode)) {
        data.dwFileAttributes = platform::FILE_ATTRIBUTE_DIRECTORY;
    } else {
        data.dwFileAttributes = (st.st_mode & S_IWUSR) != 0 ? platform::FILE_ATTRIBUTE_NORMAL
                                                            : platform::FILE_ATTRIBUTE_READONLY;
        const auto size = static_cast<std::uint64_t>(st.st_size);
        data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
        data.nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFULL);
    }
    data.ftLastWriteTime = ToFileTime(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
    data.ftCreationTime = data.ftLastWriteTime;
    data.ftLastAccessTime = ToFileTime(st.st_atim.tv_sec, st.st_atim.tv_nsec);
    return data;
}

}  // namespace host::unit
