#include "file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <system_error>

#include "host_files.h"
#include "unit_path.h"

namespace fs = std::filesystem;

namespace host::unit {

using platform::DWORD;
using platform::ERROR_ACCESS_DENIED;
using platform::ERROR_PATH_NOT_FOUND;

namespace {

fs::path Canonical(const fs::path& p) {
    std::error_code ec;
    fs::path real = fs::weakly_canonical(p, ec);
    return ec ? p : real;
}

bool InsideOf(const fs::path& real, const fs::path& root) {
    const fs::path rel = real.lexically_relative(root);
    return !rel.empty() && *rel.begin() != "..";
}

bool EntryExists(const fs::path& p) {
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0;
}

}  // namespace

FileSystem::FileSystem(const fs::path& root, const std::optional<fs::path>& pristine)
    : root_(Canonical(root)) {
    if (!pristine) {
        return;
    }
    pristine_ = Canonical(*pristine);
    // A folder written before (its unit loaded again) is read as it is.
    std::error_code ec;
    if (!HostIsDirectory(root_)) {
        return;
    }
    ownDirs_.insert({});
    for (fs::recursive_directory_iterator it(root_, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_directory(ec)) {
            ownDirs_.insert(it->path().lexically_relative(root_));
        }
    }
}

bool FileSystem::Inside(const fs::path& host) const {
    std::error_code ec;
    const fs::path real = fs::canonical(host, ec);
    if (ec) {
        return false;
    }
    return InsideOf(real, root_) || (pristine_ && InsideOf(real, *pristine_));
}

std::vector<std::string> FileSystem::HostNames(const fs::path& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        names.push_back(it->path().filename().string());
    }
    return names;
}

std::vector<FileSystem::Found> FileSystem::Names(const fs::path& rel) const {
    std::vector<Found> out;
    if (!pristine_) {
        for (std::string& name : HostNames(root_ / rel)) {
            out.push_back({std::move(name), true});
        }
        return out;
    }
    // Only this unit writes its own folders and nothing writes the pristine
    // one: the folders it made are all it needs to read, and a pristine
    // folder is read once.
    const std::lock_guard lock(layersMutex_);
    if (ownDirs_.contains(rel)) {
        for (std::string& name : HostNames(root_ / rel)) {
            out.push_back({std::move(name), true});
        }
    }
    auto pristine = pristineNames_.find(rel);
    if (pristine == pristineNames_.end()) {
        pristine = pristineNames_.emplace(rel, HostNames(*pristine_ / rel)).first;
    }
    const auto own = static_cast<std::ptrdiff_t>(out.size());
    for (const std::string& name : pristine->second) {
        const auto ownToo = [&](const Found& f) { return f.name == name; };
        if (!hidden_.contains(rel / name) && std::none_of(out.begin(), out.begin() + own, ownToo)) {
            out.push_back({name, false});
        }
    }
    return out;
}

void FileSystem::MadeOwnDirs(const fs::path& rel) {
    for (fs::path dir = rel;; dir = dir.parent_path()) {
        ownDirs_.insert(dir);
        if (dir.empty()) {
            return;
        }
    }
}

std::optional<FileSystem::Found> FileSystem::Lookup(const fs::path& rel,
                                                    std::string_view name) const {
    std::optional<Found> best;
    for (Found& candidate : Names(rel)) {
        if (!EqualsNoCase(candidate.name, name)) {
            continue;
        }
        if (candidate.name == name) {
            return candidate;
        }
        if (!best || candidate.name < best->name) {
            best = std::move(candidate);
        }
    }
    return best;
}

FsEntry FileSystem::RootEntry() const {
    // The unit's own folder is made only when something is written.
    if (!pristine_) {
        return {root_, {}, {}, true, true};
    }
    const std::lock_guard lock(layersMutex_);
    return {ownDirs_.contains({}) ? root_ : *pristine_, {}, {}, true, true};
}

FsEntry FileSystem::Entry(const fs::path& rel, const Found& found) const {
    const fs::path at = rel / found.name;
    const fs::path host = found.own ? root_ / at : *pristine_ / at;
    return {host, at, found.name, true, HostIsDirectory(host)};
}

std::variant<FsEntry, DWORD> FileSystem::ResolveDir(
    const std::vector<std::string>& components) const {
    FsEntry entry = RootEntry();
    for (const auto& part : components) {
        const auto found = Lookup(entry.rel, part);
        if (!found) {
            return ERROR_PATH_NOT_FOUND;
        }
        FsEntry next = Entry(entry.rel, *found);
        if ((HostIsSymlink(next.host) && !Inside(next.host)) || !next.isDir) {
            return ERROR_PATH_NOT_FOUND;
        }
        entry = std::move(next);
    }
    return entry;
}

std::variant<FsEntry, DWORD> FileSystem::Resolve(std::string_view unitPath) const {
    const auto split = SplitUnitPath(unitPath, false);
    if (!split) {
        return ERROR_PATH_NOT_FOUND;
    }
    if (split->components.empty()) {
        return RootEntry();
    }
    std::vector<std::string> parents(split->components.begin(), split->components.end() - 1);
    auto parent = ResolveDir(parents);
    if (auto* err = std::get_if<DWORD>(&parent)) {
        return *err;
    }
    const fs::path dir = std::get<FsEntry>(parent).rel;
    const std::string& last = split->components.back();
    const auto found = Lookup(dir, last);
    if (!found) {
        if (split->trailingSeparator) {
            return ERROR_PATH_NOT_FOUND;
        }
        return FsEntry{root_ / dir / last, dir / last, last, false, false};
    }
    FsEntry entry = Entry(dir, *found);
    if (HostIsSymlink(entry.host) && !Inside(entry.host)) {
        return ERROR_PATH_NOT_FOUND;
    }
    if (split->trailingSeparator && !entry.isDir) {
        return ERROR_PATH_NOT_FOUND;
    }
    return entry;
}

std::vector<FsEntry> FileSystem::List(const FsEntry& dir, std::string_view pattern) const {
    std::vector<FsEntry> out;
    for (const Found& found : Names(dir.rel)) {
        if (!WildcardMatch(pattern, found.name)) {
            continue;
        }
        FsEntry entry = Entry(dir.rel, found);
        if (HostIsSymlink(entry.host) && !Inside(entry.host)) {
            continue;
        }
        out.push_back(std::move(entry));
    }
    std::sort(out.begin(), out.end(), [](const FsEntry& a, const FsEntry& b) {
        if (EqualsNoCase(a.name, b.name)) {
            return a.name < b.name;
        }
        return LessNoCase(a.name, b.name);
    });
    return out;
}

std::variant<fs::path, DWORD> FileSystem::Writable(const FsEntry& entry, bool keepContent) {
    const fs::path own = root_ / entry.rel;
    if (!pristine_) {
        return own;
    }
    const std::lock_guard lock(layersMutex_);
    if (EntryExists(own)) {
        return own;
    }
    std::error_code ec;
    fs::create_directories(own.parent_path(), ec);
    if (ec) {
        return ERROR_PATH_NOT_FOUND;
    }
    MadeOwnDirs(entry.rel.parent_path());
    if (!entry.exists) {
        return own;  // created by the caller; a hidden pristine file stays hidden
    }
    if (keepContent) {
        if (DuplicateHostFile(entry.host, own)) {
            return ERROR_ACCESS_DENIED;
        }
        return own;
    }
    // Emptied anyway: only its mode is kept.
    struct stat st {};
    const int fd =
        ::stat(entry.host.c_str(), &st) != 0
            ? -1
            : ::open(own.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 07777);
    if (fd < 0) {
        return ERROR_ACCESS_DENIED;
    }
    ::close(fd);
    return own;
}

bool FileSystem::MakeDir(const FsEntry& entry) {
    std::error_code ec;
    if (!pristine_) {
        return fs::create_directory(entry.host, ec);
    }
    const std::lock_guard lock(layersMutex_);
    fs::create_directories(root_ / entry.rel, ec);
    if (!ec) {
        MadeOwnDirs(entry.rel);
    }
    return !ec;
}

int FileSystem::Remove(const FsEntry& entry) {
    const fs::path own = root_ / entry.rel;
    if (!pristine_) {
        return ::unlink(own.c_str()) == 0 ? 0 : errno;
    }
    const std::lock_guard lock(layersMutex_);
    if (EntryExists(own) && ::unlink(own.c_str()) != 0) {
        return errno;
    }
    if (EntryExists(*pristine_ / entry.rel)) {
        hidden_.insert(entry.rel);
    }
    return 0;
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
