// Files and directory searches of the unit, on the host files under fs/.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "unit_impl.h"
#include "unit_path.h"

namespace host::unit {

namespace fs = std::filesystem;
using namespace platform;

namespace {

DWORD ErrnoToWin32(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return ERROR_PATH_NOT_FOUND;
        case EEXIST:
            return ERROR_FILE_EXISTS;
        case ENOSPC:
            return ERROR_DISK_FULL;
        case ENOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        default:
            return ERROR_ACCESS_DENIED;
    }
}

template <class T>
T* As(std::optional<HandleObject>& object) {
    if (!object) {
        return nullptr;
    }
    auto* p = std::get_if<std::shared_ptr<T>>(&*object);
    return p != nullptr ? p->get() : nullptr;
}

// What the share table knows a file by: the same in every layer.
std::string ShareKey(const FsEntry& entry) {
    return "file:" + entry.rel.string();
}

// Handles open on a pristine file that has just been copied up go on, at
// the same offset, in the copy: every handle then sees what the others write.
void FollowCopy(const HandleTable& handles, const fs::path& pristine, const fs::path& copy) {
    for (const std::shared_ptr<FileObject>& file : handles.Files()) {
        const std::lock_guard lock(file->hostMutex);
        if (file->host != pristine) {
            continue;
        }
        const UniqueFd moved(::open(copy.c_str(), file->oflags | O_NONBLOCK | O_NOCTTY));
        const off_t at = ::lseek(file->fd.get(), 0, SEEK_CUR);
        if (moved.valid() && at >= 0 && ::lseek(moved.get(), at, SEEK_SET) == at &&
            ::dup3(moved.get(), file->fd.get(), O_CLOEXEC) >= 0) {
            file->host = copy;
        }
    }
}

// Copies src to dst through a temporary file in dst's folder, keeping the
// last-write time as Windows does.
DWORD CopyHostFile(const fs::path& src, const fs::path& dst) {
    UniqueFd in(::open(src.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!in.valid()) {
        return ErrnoToWin32(errno);
    }
    struct stat st {};
    if (::fstat(in.get(), &st) != 0) {
        return ErrnoToWin32(errno);
    }
    if (!S_ISREG(st.st_mode)) {
        return ERROR_ACCESS_DENIED;  // a FIFO or a device: no file to copy
    }
    const fs::path tmp = dst.parent_path() / ("." + dst.filename().string() + ".copying");
    UniqueFd out(::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!out.valid()) {
        return ErrnoToWin32(errno);
    }
    auto fail = [&](int error) {
        out.reset();
        ::unlink(tmp.c_str());
        return ErrnoToWin32(error);
    };
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t n = ::read(in.get(), buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail(errno);
        }
        if (n == 0) {
            break;
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w =
                ::write(out.get(), buffer.data() + done, static_cast<std::size_t>(n - done));
            if (w < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return fail(errno);
            }
            done += w;
        }
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(out.get(), times);
    if (::close(out.release()) != 0) {
        const int error = errno;
        ::unlink(tmp.c_str());
        return ErrnoToWin32(error);
    }
    if (::rename(tmp.c_str(), dst.c_str()) != 0) {
        const int error = errno;
        ::unlink(tmp.c_str());
        return ErrnoToWin32(error);
    }
    return ERROR_SUCCESS;
}

// What a port handed over or took, every byte of it (ports keep all theirs).
void RecordPortBytes(VirtualUnit::Impl& impl, HANDLE h, TrafficKind kind, const void* buffer,
                     DWORD count) {
    if (count == 0 || buffer == nullptr) {
        return;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    auto event = platform::TrafficOf(DeviceNameOf(impl, h), kind);
    event.bytes = {bytes, bytes + count};
    impl.traffic.Record(std::move(event));
}

}  // namespace

std::optional<fs::path> FindOnHost(const FileSystem& fsys, std::string_view unitPath) {
    auto r = fsys.Resolve(unitPath);
    if (auto* e = std::get_if<FsEntry>(&r)) {
        return e->host;
    }
    return std::nullopt;
}

HANDLE VirtualUnit::CreateFile(std::string_view name, DWORD access, DWORD share, DWORD creation,
                               DWORD /*flags*/) {
    if (IsDeviceName(name)) {
        return OpenDevice(*impl_, name, access, share);
    }
    if (auto code = impl_->kernelFaults.Find("createfile", name)) {
        SetLastError(*code);
        return INVALID_HANDLE_VALUE;
    }
    auto resolved = impl_->fs.Resolve(name);
    if (auto* err = std::get_if<DWORD>(&resolved)) {
        SetLastError(*err);
        return INVALID_HANDLE_VALUE;
    }
    const FsEntry& entry = std::get<FsEntry>(resolved);
    if (entry.exists && entry.isDir) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    const bool write = (access & GENERIC_WRITE) != 0;
    int oflags = O_CLOEXEC;
    switch (creation) {
        case CREATE_NEW:
            if (entry.exists) {
                SetLastError(ERROR_FILE_EXISTS);
                return INVALID_HANDLE_VALUE;
            }
            oflags |= O_CREAT | O_EXCL;
            break;
        case CREATE_ALWAYS:
            oflags |= O_CREAT | O_TRUNC;
            break;
        case OPEN_EXISTING:
            break;
        case OPEN_ALWAYS:
            oflags |= O_CREAT;
            break;
        case TRUNCATE_EXISTING:
            if (!write) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return INVALID_HANDLE_VALUE;
            }
            oflags |= O_TRUNC;
            break;
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
    }
    if (!entry.exists && (oflags & O_CREAT) == 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    const bool read = (access & GENERIC_READ) != 0;
    if (write || (oflags & O_TRUNC) != 0) {
        oflags |= read || !write ? O_RDWR : O_WRONLY;
    } else {
        oflags |= O_RDONLY;
    }
    auto object = std::make_shared<FileObject>();
    object->unitPath = std::string(name);
    if (DWORD err = impl_->shares.Take(ShareKey(entry), access, share, &object->shareId);
        err != ERROR_SUCCESS) {
        SetLastError(err);
        return INVALID_HANDLE_VALUE;
    }
    fs::path host = entry.host;
    if (write || (oflags & (O_CREAT | O_TRUNC)) != 0) {
        auto own = impl_->fs.Writable(entry, (oflags & O_TRUNC) == 0);
        if (auto* err = std::get_if<DWORD>(&own)) {
            impl_->shares.Drop(object->shareId);
            SetLastError(*err);
            return INVALID_HANDLE_VALUE;
        }
        host = std::get<fs::path>(std::move(own));
        if (entry.exists && host != entry.host) {
            FollowCopy(impl_->handles, entry.host, host);
        }
    }
    object->oflags = oflags & ~(O_CREAT | O_EXCL | O_TRUNC);
    object->host = host;
    // Not blocking in the open, and only a regular file taken: a FIFO or a
    // device in the unit's folder is no file of the unit, and opening it
    // would wait for its other end.
    object->fd.reset(::open(host.c_str(), oflags | O_NONBLOCK | O_NOCTTY, 0644));
    struct stat opened {};
    if (!object->fd.valid() || ::fstat(object->fd.get(), &opened) != 0 ||
        !S_ISREG(opened.st_mode)) {
        const DWORD err = object->fd.valid() ? ERROR_ACCESS_DENIED : ErrnoToWin32(errno);
        impl_->shares.Drop(object->shareId);
        SetLastError(err);
        return INVALID_HANDLE_VALUE;
    }
    const HANDLE h = impl_->handles.Add(object);
    const bool made = (oflags & (entry.exists ? O_TRUNC : O_CREAT)) != 0;
    if (made && impl_->traffic.On()) {
        auto event = platform::TrafficOf("file", TrafficKind::FileCreate);
        event.path = std::string(name);
        impl_->traffic.Record(std::move(event));
    }
    // Every successful open says whether an existing file was taken over by
    // CREATE_ALWAYS / OPEN_ALWAYS, and clears the code otherwise.
    const bool tookOver = (creation == CREATE_ALWAYS || creation == OPEN_ALWAYS) && entry.exists;
    SetLastError(tookOver ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return h;
}

BOOL VirtualUnit::ReadFile(HANDLE h, void* buffer, DWORD toRead, DWORD* read) {
    auto object = impl_->handles.Get(h);
    if (read != nullptr) {
        *read = 0;
    }
    if (auto* file = As<FileObject>(object)) {
        if (auto code = impl_->kernelFaults.Find("readfile", file->unitPath)) {
            return Impl::Fail(*code);
        }
        if (buffer == nullptr && toRead > 0) {
            return Impl::Fail(ERROR_INVALID_PARAMETER);
        }
        DWORD total = 0;
        while (total < toRead) {
            const ssize_t n =
                ::read(file->fd.get(), static_cast<char*>(buffer) + total, toRead - total);
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return Impl::Fail(errno == EBADF ? ERROR_ACCESS_DENIED : ERROR_GEN_FAILURE);
            }
            if (n == 0) {
                break;
            }
            total += static_cast<DWORD>(n);
        }
        if (read != nullptr) {
            *read = total;
        }
        return TRUE;
    }
    DWORD got = 0;
    const BOOL result = DeviceCall(*impl_, h, "read", std::nullopt, [&](Driver& d, DeviceOpen& o) {
        return d.Read(o, buffer, toRead, read != nullptr ? read : &got);
    });
    if (impl_->traffic.On() && result != FALSE) {
        RecordPortBytes(*impl_, h, TrafficKind::Read, buffer,
                        std::min(read != nullptr ? *read : got, toRead));
    }
    return result;
}

BOOL VirtualUnit::WriteFile(HANDLE h, const void* buffer, DWORD toWrite, DWORD* written) {
    auto object = impl_->handles.Get(h);
    if (written != nullptr) {
        *written = 0;
    }
    if (auto* file = As<FileObject>(object)) {
        if (auto code = impl_->kernelFaults.Find("writefile", file->unitPath)) {
            return Impl::Fail(*code);
        }
        if (buffer == nullptr && toWrite > 0) {
            return Impl::Fail(ERROR_INVALID_PARAMETER);
        }
        DWORD total = 0;
        while (total < toWrite) {
            const ssize_t n =
                ::write(file->fd.get(), static_cast<const char*>(buffer) + total, toWrite - total);
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return Impl::Fail(errno == EBADF ? ERROR_ACCESS_DENIED : ErrnoToWin32(errno));
            }
            total += static_cast<DWORD>(n);
        }
        if (written != nullptr) {
            *written = total;
        }
        if (impl_->traffic.On()) {
            auto event = platform::TrafficOf("file", TrafficKind::FileWrite);
            event.bytes = TrafficBytes(buffer, total);
            event.path = file->unitPath;
            impl_->traffic.Record(std::move(event));
        }
        return TRUE;
    }
    DWORD put = 0;
    const BOOL result = DeviceCall(*impl_, h, "write", std::nullopt, [&](Driver& d, DeviceOpen& o) {
        return d.Write(o, buffer, toWrite, written != nullptr ? written : &put);
    });
    if (impl_->traffic.On() && result != FALSE) {
        RecordPortBytes(*impl_, h, TrafficKind::Write, buffer,
                        std::min(written != nullptr ? *written : put, toWrite));
    }
    return result;
}

BOOL VirtualUnit::CloseHandle(HANDLE h) {
    auto object = impl_->handles.Get(h);
    if (!object || std::holds_alternative<std::shared_ptr<FindObject>>(*object)) {
        return Impl::Fail(ERROR_INVALID_HANDLE);
    }
    object = impl_->handles.Remove(h);
    if (!object) {
        return Impl::Fail(ERROR_INVALID_HANDLE);  // closed by another thread meanwhile
    }
    if (auto* file = As<FileObject>(object)) {
        impl_->shares.Drop(file->shareId);
        return TRUE;
    }
    if (auto* device = As<DeviceObject>(object)) {
        impl_->shares.Drop(device->shareId);
        device->slot->driver->Close(*device->open);
        // A failing close still closes: the caller forgets the handle anyway.
        if (auto code = device->slot->faults.Find("close")) {
            return Impl::Fail(*code);
        }
        return TRUE;
    }
    return TRUE;
}

HANDLE VirtualUnit::FindFirstFile(std::string_view pattern, WIN32_FIND_DATA* data) {
    if (auto code = impl_->kernelFaults.Find("findfirstfile", pattern)) {
        SetLastError(*code);
        return INVALID_HANDLE_VALUE;
    }
    if (data == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const auto split = SplitUnitPath(pattern, true);
    if (!split) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (split->components.empty() || split->trailingSeparator) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::vector<std::string> parents(split->components.begin(), split->components.end() - 1);
    for (const auto& p : parents) {
        if (p.find_first_of("*?") != std::string::npos) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
    }
    auto dir = impl_->fs.ResolveDir(parents);
    if (auto* err = std::get_if<DWORD>(&dir)) {
        SetLastError(*err);
        return INVALID_HANDLE_VALUE;
    }
    const std::string& last = split->components.back();
    std::vector<FsEntry> entries;
    if (last.find_first_of("*?") == std::string::npos) {
        // A plain name: the same lookup as CreateFile, links out of fs/ included.
        auto one = impl_->fs.Resolve(pattern);
        if (auto* err = std::get_if<DWORD>(&one)) {
            SetLastError(*err);
            return INVALID_HANDLE_VALUE;
        }
        if (std::get<FsEntry>(one).exists) {
            entries.push_back(std::get<FsEntry>(one));
        }
    } else {
        entries = impl_->fs.List(std::get<FsEntry>(dir), last);
    }
    if (entries.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    auto find = std::make_shared<FindObject>();
    for (const auto& e : entries) {
        find->entries.push_back(FileSystem::FindData(e));
    }
    *data = find->entries.front();
    find->next = 1;
    return impl_->handles.Add(find);
}

BOOL VirtualUnit::FindNextFile(HANDLE find, WIN32_FIND_DATA* data) {
    auto object = impl_->handles.Get(find);
    auto* search = As<FindObject>(object);
    if (search == nullptr) {
        return Impl::Fail(ERROR_INVALID_HANDLE);
    }
    if (data == nullptr) {
        return Impl::Fail(ERROR_INVALID_PARAMETER);
    }
    std::lock_guard lock(search->mutex);
    if (search->next >= search->entries.size()) {
        return Impl::Fail(ERROR_NO_MORE_FILES);
    }
    *data = search->entries[search->next++];
    return TRUE;
}

BOOL VirtualUnit::FindClose(HANDLE find) {
    auto object = impl_->handles.Get(find);
    if (As<FindObject>(object) == nullptr || !impl_->handles.Remove(find)) {
        return Impl::Fail(ERROR_INVALID_HANDLE);
    }
    return TRUE;
}

BOOL VirtualUnit::CopyFile(std::string_view existing, std::string_view target, BOOL failIfExists) {
    if (auto code = impl_->kernelFaults.Find("copyfile", existing)) {
        return Impl::Fail(*code);
    }
    auto src = impl_->fs.Resolve(existing);
    if (auto* err = std::get_if<DWORD>(&src)) {
        return Impl::Fail(*err);
    }
    const FsEntry& from = std::get<FsEntry>(src);
    if (!from.exists) {
        return Impl::Fail(ERROR_FILE_NOT_FOUND);
    }
    if (from.isDir) {
        return Impl::Fail(ERROR_ACCESS_DENIED);
    }
    auto dst = impl_->fs.Resolve(target);
    if (auto* err = std::get_if<DWORD>(&dst)) {
        return Impl::Fail(*err);
    }
    const FsEntry& to = std::get<FsEntry>(dst);
    if (to.exists && to.isDir) {
        return Impl::Fail(ERROR_ACCESS_DENIED);
    }
    if (to.exists && failIfExists != FALSE) {
        return Impl::Fail(ERROR_FILE_EXISTS);
    }
    if (impl_->shares.Held(ShareKey(to))) {
        return Impl::Fail(ERROR_SHARING_VIOLATION);
    }
    auto own = impl_->fs.Writable(to, true);
    if (auto* err = std::get_if<DWORD>(&own)) {
        return Impl::Fail(*err);
    }
    if (DWORD err = CopyHostFile(from.host, std::get<fs::path>(own)); err != ERROR_SUCCESS) {
        return Impl::Fail(err);
    }
    if (impl_->traffic.On()) {
        auto event = platform::TrafficOf("file", TrafficKind::FileCopy);
        event.path = std::string(target);
        event.text = std::string(existing);
        impl_->traffic.Record(std::move(event));
    }
    return TRUE;
}

BOOL VirtualUnit::DeleteFile(std::string_view path) {
    if (auto code = impl_->kernelFaults.Find("deletefile", path)) {
        return Impl::Fail(*code);
    }
    auto resolved = impl_->fs.Resolve(path);
    if (auto* err = std::get_if<DWORD>(&resolved)) {
        return Impl::Fail(*err);
    }
    const FsEntry& entry = std::get<FsEntry>(resolved);
    if (!entry.exists) {
        return Impl::Fail(ERROR_FILE_NOT_FOUND);
    }
    if (entry.isDir) {
        return Impl::Fail(ERROR_ACCESS_DENIED);
    }
    if (impl_->shares.Held(ShareKey(entry))) {
        return Impl::Fail(ERROR_SHARING_VIOLATION);
    }
    if (const int error = impl_->fs.Remove(entry); error != 0) {
        return Impl::Fail(ErrnoToWin32(error));
    }
    if (impl_->traffic.On()) {
        auto event = platform::TrafficOf("file", TrafficKind::FileDelete);
        event.path = std::string(path);
        impl_->traffic.Record(std::move(event));
    }
    return TRUE;
}

BOOL VirtualUnit::GetDiskFreeSpaceEx(std::string_view directory, std::uint64_t* freeToCaller,
                                     std::uint64_t* total, std::uint64_t* totalFree) {
    if (auto code = impl_->kernelFaults.Find("getdiskfreespaceex", directory)) {
        return Impl::Fail(*code);
    }
    // A missing folder is missing at its own level (ERROR_FILE_NOT_FOUND)
    // when its parent exists, trailing separator or not.
    std::string_view folder = directory;
    while (folder.size() > 1 && folder.back() == '\\') {
        folder.remove_suffix(1);
    }
    auto resolved = impl_->fs.Resolve(folder);
    if (auto* err = std::get_if<DWORD>(&resolved)) {
        return Impl::Fail(*err);
    }
    const FsEntry& entry = std::get<FsEntry>(resolved);
    if (!entry.exists) {
        return Impl::Fail(ERROR_FILE_NOT_FOUND);
    }
    if (!entry.isDir) {
        return Impl::Fail(ERROR_PATH_NOT_FOUND);
    }
    std::error_code ec;
    const fs::space_info host = fs::space(entry.host, ec);
    if (ec) {
        return Impl::Fail(ERROR_GEN_FAILURE);
    }
    VolumeSize configured;
    if (const auto split = SplitUnitPath(directory, false); split && !split->components.empty()) {
        std::lock_guard lock(impl_->volumesMutex);
        if (auto it = impl_->volumes.find(LowerAscii(split->components.front()));
            it != impl_->volumes.end()) {
            configured = it->second;
        }
    }
    const std::uint64_t size = configured.total.value_or(host.capacity);
    const std::uint64_t free = configured.free.value_or(std::min<std::uint64_t>(host.free, size));
    const std::uint64_t available =
        configured.free.value_or(std::min<std::uint64_t>(host.available, size));
    if (freeToCaller != nullptr) {
        *freeToCaller = available;
    }
    if (total != nullptr) {
        *total = size;
    }
    if (totalFree != nullptr) {
        *totalFree = free;
    }
    return TRUE;
}

BOOL VirtualUnit::FileTimeToSystemTime(const FILETIME& time, SYSTEMTIME* out) {
    if (auto code = impl_->kernelFaults.Find("filetimetosystemtime")) {
        return Impl::Fail(*code);
    }
    const std::uint64_t ticks = (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
    if (out == nullptr || ticks > 0x7FFFFFFFFFFFFFFFULL) {
        return Impl::Fail(ERROR_INVALID_PARAMETER);
    }
    constexpr std::uint64_t kTicksPerDay = 864000000000ULL;
    const std::uint64_t days = ticks / kTicksPerDay;
    const std::uint64_t rest = ticks % kTicksPerDay;
    // Civil date from days since 1601-01-01 (proleptic Gregorian).
    const auto z = static_cast<std::int64_t>(days) - 134774 + 719468;  // days since 0000-03-01
    const std::int64_t era = z / 146097;
    const auto doe = static_cast<std::uint64_t>(z - era * 146097);
    const std::uint64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::uint64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::uint64_t mp = (5 * doy + 2) / 153;
    const std::uint64_t day = doy - (153 * mp + 2) / 5 + 1;
    const std::uint64_t month = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t year = static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2 ? 1 : 0);
    out->wYear = static_cast<WORD>(year);
    out->wMonth = static_cast<WORD>(month);
    out->wDay = static_cast<WORD>(day);
    out->wDayOfWeek = static_cast<WORD>((days + 1) % 7);  // 1601-01-01 was a Monday
    out->wHour = static_cast<WORD>(rest / 36000000000ULL);
    out->wMinute = static_cast<WORD>(rest / 600000000ULL % 60);
    out->wSecond = static_cast<WORD>(rest / 10000000ULL % 60);
    out->wMilliseconds = static_cast<WORD>(rest / 10000ULL % 1000);
    return TRUE;
}

}  // namespace host::unit
