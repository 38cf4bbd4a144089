#include <windows.h>

#include <system_error>

#include "file_lock.h"

namespace program::detail {

namespace {

// The byte locked, far past the text, so that others can still read it.
constexpr DWORD kLockedOffset = 0x7FFFFFFF;

std::string Reason(DWORD code) {
    return std::system_category().message(static_cast<int>(code));
}

class Win32Lock final : public FileLock {
  public:
    explicit Win32Lock(HANDLE file) : file_(file) {}
    ~Win32Lock() override { CloseHandle(file_); }

  private:
    HANDLE file_;
};

std::string ReadHolder(HANDLE file) {
    std::string text(256, '\0');
    DWORD read = 0;
    OVERLAPPED at{};
    if (ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, &at) == 0) {
        read = 0;
    }
    text.resize(read);
    const std::size_t found = text.rfind("process ");
    if (found == std::string::npos) {
        return {};
    }
    return text.substr(found, text.find('\n', found) - found);
}

}  // namespace

platform::Result<std::unique_ptr<FileLock>, LockRefused> FileLock::Take(
    const std::filesystem::path& file, std::string_view text, Make make) {
    const HANDLE handle = CreateFileW(
        file.wstring().c_str(), GENERIC_READ | GENERIC_WRITE,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        make == Make::IfMissing ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return LockRefused{{}, Reason(GetLastError())};
    }
    OVERLAPPED locked{};
    locked.Offset = kLockedOffset;
    if (LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &locked) ==
        0) {
        const DWORD why = GetLastError();
        LockRefused refused;
        if (why == ERROR_LOCK_VIOLATION || why == ERROR_IO_PENDING) {
            refused.holder = ReadHolder(handle);
            if (refused.holder.empty()) {
                refused.holder = "another process";
            }
        } else {
            refused.why = Reason(why);
        }
        CloseHandle(handle);
        return refused;
    }
    const std::string content =
        std::string(text) + "process " + std::to_string(GetCurrentProcessId()) + '\n';
    DWORD written = 0;
    if (SetFilePointer(handle, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
        SetEndOfFile(handle) == 0 ||
        WriteFile(handle, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) ==
            0 ||
        written != content.size()) {
        LockRefused refused{{}, Reason(GetLastError())};
        CloseHandle(handle);
        return refused;
    }
    return std::unique_ptr<FileLock>(std::make_unique<Win32Lock>(handle));
}

bool FoldersMoveWithFilesOpen() {
    return false;
}

platform::Result<void> ExchangeFolders(const std::filesystem::path& a,
                                       const std::filesystem::path& b) {
    std::filesystem::path aside = b;
    aside += ".kestrin-exchange";
    if (MoveFileExW(b.wstring().c_str(), aside.wstring().c_str(), 0) == 0) {
        return platform::Fail(Reason(GetLastError()));
    }
    if (MoveFileExW(a.wstring().c_str(), b.wstring().c_str(), 0) == 0) {
        const std::string why = Reason(GetLastError());
        MoveFileExW(aside.wstring().c_str(), b.wstring().c_str(), 0);
        return platform::Fail(why);
    }
    if (MoveFileExW(aside.wstring().c_str(), a.wstring().c_str(), 0) == 0) {
        return platform::Fail(Reason(GetLastError()));
    }
    return {};
}

long ProcessId() {
    return static_cast<long>(GetCurrentProcessId());
}

}  // namespace program::detail
