// Files and directory searches under the root folder, and the device names.
#include <algorithm>
#include <cstring>
#include <optional>

#include "devices/com7.h"
#include "pc_path.h"
#include "platform/last_error.h"
#include "platform/unit_paths.h"
#include "platform/utf16.h"
#include "serial_port.h"
#include "win32_api.h"
#include "win32_error.h"
#include "win32_kernel.h"

namespace win32::pc {

namespace {

struct FileObject final : HandleObject {
    explicit FileObject(::HANDLE file) : h(file) {}
    ~FileObject() override { ::CloseHandle(h); }
    ::HANDLE h;
};

// A search: every match, taken when it starts, in the unit's order.
struct FindObject final : HandleObject {
    std::vector<platform::WIN32_FIND_DATA> entries;
    std::size_t next = 0;
};

platform::FILETIME FromWin32(const ::FILETIME& t) {
    return {t.dwLowDateTime, t.dwHighDateTime};
}

platform::WIN32_FIND_DATA FromWin32(const WIN32_FIND_DATAW& d) {
    platform::WIN32_FIND_DATA out;
    out.dwFileAttributes = d.dwFileAttributes;
    out.ftCreationTime = FromWin32(d.ftCreationTime);
    out.ftLastAccessTime = FromWin32(d.ftLastAccessTime);
    out.ftLastWriteTime = FromWin32(d.ftLastWriteTime);
    out.nFileSizeHigh = d.nFileSizeHigh;
    out.nFileSizeLow = d.nFileSizeLow;
    out.cFileName = platform::utf16::ToUtf8(d.cFileName);
    return out;
}

// A name of the unit's stream drivers: three letters, a digit and a colon.
bool IsDeviceName(std::string_view name) {
    const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    return name.size() == 5 && letter(name[0]) && letter(name[1]) && letter(name[2]) &&
           name[3] >= '0' && name[3] <= '9' && name[4] == ':';
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x | 0x20) == (y | 0x20);
           });
}

// The caller's flags, but never overlapped: the handle's calls are synchronous.
constexpr DWORD kSynchronousOnly = ~static_cast<DWORD>(FILE_FLAG_OVERLAPPED);

}  // namespace

std::optional<std::wstring> Win32Kernel::PcPath(std::string_view unitPath, bool pattern) const {
    const std::optional<std::string> relative =
        RelativePcPath(unitPath, pattern ? PathUse::Pattern : PathUse::File);
    if (!relative) {
        Fail(kBadUnitPath);
        return std::nullopt;
    }
    std::optional<std::wstring> wide = platform::utf16::FromUtf8(JoinPcPath(root_, *relative));
    if (!wide) {
        Fail(kBadUnitPath);
        return std::nullopt;
    }
    // A pattern's folder must stay below the root, and its matches are
    // looked at one by one; a plain name is looked up as CreateFile does.
    const bool wildcards =
        pattern && PatternName(unitPath).find_first_of("*?") != std::string::npos;
    const std::wstring reached = wildcards ? wide->substr(0, wide->find_last_of(L'\\')) : *wide;
    if (!guard_.Admits(reached)) {
        Fail(kBadUnitPath);
        return std::nullopt;
    }
    return wide;
}

platform::HANDLE Win32Kernel::OpenDevice(std::string_view name, platform::DWORD access,
                                         platform::DWORD share) {
    if (!EqualsNoCase(name, kRdsPortName)) {
        Fail(kNoSuchDevice);
        return kInvalidHandle;
    }
    std::lock_guard lock(portsMutex_);
    if (const std::shared_ptr<SerialPort> open = com7_.lock(); open && open->IsOpen()) {
        // What Windows answers for a port in use.
        Fail(ERROR_ACCESS_DENIED);
        return kInvalidHandle;
    }
    platform::DWORD error = 0;
    std::shared_ptr<SerialPort> port = SerialPort::Open(options_.com7Port, access, share, &error);
    if (!port) {
        Fail(error);
        return kInvalidHandle;
    }
    com7_ = port;
    return handles_.Add(std::move(port));
}

platform::HANDLE Win32Kernel::CreateFile(std::string_view name, platform::DWORD access,
                                         platform::DWORD share, platform::DWORD creation,
                                         platform::DWORD flags) {
    if (IsDeviceName(name)) {
        return OpenDevice(name, access, share);
    }
    const std::optional<std::wstring> path = PcPath(name, false);
    if (!path) {
        return kInvalidHandle;
    }
    // Whether an open that may make the file finds one there (wine says
    // ERROR_ALREADY_EXISTS also for a file it made through a link).
    const bool mayMake = creation != OPEN_EXISTING && creation != TRUNCATE_EXISTING;
    const bool existed = mayMake && guard_.Exists(*path);
    ::HANDLE h = ::CreateFileW(path->c_str(), access, share, nullptr, creation,
                               flags & kSynchronousOnly, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        TakeLastError();
        return kInvalidHandle;
    }
    // A successful CREATE_ALWAYS / OPEN_ALWAYS says whether the file was
    // there through the last error, as Win32 does.
    const DWORD note = ::GetLastError();
    // Where it opened: a link that leads nowhere (wine does not show one)
    // or one changed since the look may have taken it out of the root. A
    // file made out there goes again.
    if (const std::optional<std::wstring> outside = guard_.Escape(h, *path)) {
        ::CloseHandle(h);
        if (mayMake && !existed && !outside->empty()) {
            ::DeleteFileW(outside->c_str());
        }
        Fail(kBadUnitPath);
        return kInvalidHandle;
    }
    const platform::HANDLE out = handles_.Add(std::make_shared<FileObject>(h));
    platform::SetLastError(note);
    return out;
}

void Win32Kernel::ReportPort(platform::TrafficKind kind, const void* buffer,
                             platform::DWORD count) {
    if (traffic_ == nullptr || !traffic_->On() || buffer == nullptr || count == 0) {
        return;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    platform::TrafficEvent event = platform::TrafficOf("COM7:", kind);
    event.bytes.assign(bytes, bytes + count);
    traffic_->Record(std::move(event));
}

platform::BOOL Win32Kernel::ReadFile(platform::HANDLE h, void* buffer, platform::DWORD toRead,
                                     platform::DWORD* read) {
    if (auto port = handles_.Find<SerialPort>(h)) {
        platform::DWORD n = 0;
        const platform::BOOL ok = port->Read(buffer, toRead, read != nullptr ? read : &n);
        if (ok) {
            ReportPort(platform::TrafficKind::Read, buffer, read != nullptr ? *read : n);
        }
        return ok;
    }
    const auto file = handles_.Find<FileObject>(h);
    if (!file) {
        Fail(kBadHandle);
        return FALSE;
    }
    DWORD n = 0;
    const BOOL ok = ::ReadFile(file->h, buffer, toRead, &n, nullptr);
    if (read != nullptr) {
        *read = n;
    }
    if (!ok) {
        TakeLastError();
    }
    return ok;
}

platform::BOOL Win32Kernel::WriteFile(platform::HANDLE h, const void* buffer,
                                      platform::DWORD toWrite, platform::DWORD* written) {
    if (auto port = handles_.Find<SerialPort>(h)) {
        platform::DWORD n = 0;
        const platform::BOOL ok = port->Write(buffer, toWrite, written != nullptr ? written : &n);
        if (ok) {
            ReportPort(platform::TrafficKind::Write, buffer, written != nullptr ? *written : n);
        }
        return ok;
    }
    const auto file = handles_.Find<FileObject>(h);
    if (!file) {
        Fail(kBadHandle);
        return FALSE;
    }
    DWORD n = 0;
    const BOOL ok = ::WriteFile(file->h, buffer, toWrite, &n, nullptr);
    if (written != nullptr) {
        *written = n;
    }
    if (!ok) {
        TakeLastError();
    }
    return ok;
}

platform::BOOL Win32Kernel::DeviceIoControl(platform::HANDLE h, platform::DWORD /*code*/,
                                            const void* /*in*/, platform::DWORD /*inSize*/,
                                            void* /*out*/, platform::DWORD /*outSize*/,
                                            platform::DWORD* returned) {
    if (returned != nullptr) {
        *returned = 0;
    }
    Fail(handles_.FindAny(h) ? kNoSuchControl : kBadHandle);
    return FALSE;
}

platform::BOOL Win32Kernel::CloseHandle(platform::HANDLE h) {
    // A search is ended with FindClose only.
    if (handles_.Find<FindObject>(h)) {
        Fail(kBadHandle);
        return FALSE;
    }
    std::shared_ptr<HandleObject> object = handles_.Take(h);
    if (!object) {
        Fail(kBadHandle);
        return FALSE;
    }
    if (auto* port = dynamic_cast<SerialPort*>(object.get())) {
        port->Close();
    }
    return TRUE;
}

platform::HANDLE Win32Kernel::FindFirstFile(std::string_view pattern,
                                            platform::WIN32_FIND_DATA* data) {
    const std::optional<std::wstring> path = PcPath(pattern, true);
    if (!path) {
        return kInvalidHandle;
    }
    WIN32_FIND_DATAW found{};
    ::HANDLE search = ::FindFirstFileW(path->c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        TakeLastError();
        return kInvalidHandle;
    }
    // Desktop Windows also matches the 8.3 short names ("*.map" finds
    // "a.mapx") and lists "." and ".."; the unit has neither, so only long
    // names that match by the unit's rules are kept.
    // Links that lead out of the root are left out, as the unit lists them.
    const std::string_view name = PatternName(pattern);
    const std::wstring folder = path->substr(0, path->find_last_of(L'\\') + 1);
    const std::optional<std::wstring> rootFinal = guard_.RootFinal();
    auto search_result = std::make_shared<FindObject>();
    do {
        platform::WIN32_FIND_DATA entry = FromWin32(found);
        if (entry.cFileName != "." && entry.cFileName != ".." &&
            platform::WildcardMatch(name, entry.cFileName) &&
            guard_.Admits(folder + found.cFileName, rootFinal)) {
            search_result->entries.push_back(std::move(entry));
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    if (search_result->entries.empty()) {
        Fail(ERROR_FILE_NOT_FOUND);
        return kInvalidHandle;
    }
    std::sort(search_result->entries.begin(), search_result->entries.end(),
              [](const auto& a, const auto& b) {
                  return platform::LessNoCase(a.cFileName, b.cFileName);
              });
    if (data != nullptr) {
        *data = search_result->entries.front();
    }
    search_result->next = 1;
    return handles_.Add(std::move(search_result));
}

platform::BOOL Win32Kernel::FindNextFile(platform::HANDLE find, platform::WIN32_FIND_DATA* data) {
    const auto search = handles_.Find<FindObject>(find);
    if (!search) {
        Fail(kBadHandle);
        return FALSE;
    }
    if (search->next >= search->entries.size()) {
        Fail(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    if (data != nullptr) {
        *data = search->entries[search->next];
    }
    ++search->next;
    return TRUE;
}

platform::BOOL Win32Kernel::FindClose(platform::HANDLE find) {
    if (!handles_.Find<FindObject>(find)) {
        Fail(kBadHandle);
        return FALSE;
    }
    handles_.Take(find);
    return TRUE;
}

platform::BOOL Win32Kernel::CopyFile(std::string_view existing, std::string_view target,
                                     platform::BOOL failIfExists) {
    const std::optional<std::wstring> from = PcPath(existing, false);
    if (!from) {
        return FALSE;
    }
    const std::optional<std::wstring> to = PcPath(target, false);
    if (!to) {
        return FALSE;
    }
    if (!::CopyFileW(from->c_str(), to->c_str(), failIfExists)) {
        TakeLastError();
        return FALSE;
    }
    // A copy made out of the root (through a link to nothing) goes again.
    if (const std::optional<std::wstring> outside = guard_.Escape(*to)) {
        if (!outside->empty()) {
            ::DeleteFileW(outside->c_str());
        }
        Fail(kBadUnitPath);
        return FALSE;
    }
    return TRUE;
}

platform::BOOL Win32Kernel::DeleteFile(std::string_view path) {
    const std::optional<std::wstring> file = PcPath(path, false);
    if (!file) {
        return FALSE;
    }
    if (!::DeleteFileW(file->c_str())) {
        TakeLastError();
        return FALSE;
    }
    return TRUE;
}

platform::BOOL Win32Kernel::GetDiskFreeSpaceEx(std::string_view directory,
                                               std::uint64_t* freeToCaller, std::uint64_t* total,
                                               std::uint64_t* totalFree) {
    const std::optional<std::wstring> dir = PcPath(directory, false);
    if (!dir) {
        return FALSE;
    }
    ULARGE_INTEGER available{};
    ULARGE_INTEGER size{};
    ULARGE_INTEGER free{};
    if (!::GetDiskFreeSpaceExW(dir->c_str(), &available, &size, &free)) {
        TakeLastError();
        return FALSE;
    }
    if (freeToCaller != nullptr) {
        *freeToCaller = available.QuadPart;
    }
    if (total != nullptr) {
        *total = size.QuadPart;
    }
    if (totalFree != nullptr) {
        *totalFree = free.QuadPart;
    }
    return TRUE;
}

platform::BOOL Win32Kernel::FileTimeToSystemTime(const platform::FILETIME& time,
                                                 platform::SYSTEMTIME* out) {
    const ::FILETIME in{time.dwLowDateTime, time.dwHighDateTime};
    ::SYSTEMTIME t{};
    if (!::FileTimeToSystemTime(&in, &t)) {
        TakeLastError();
        return FALSE;
    }
    if (out != nullptr) {
        *out = {t.wYear, t.wMonth,  t.wDayOfWeek, t.wDay,
                t.wHour, t.wMinute, t.wSecond,    t.wMilliseconds};
    }
    return TRUE;
}

}  // namespace win32::pc
