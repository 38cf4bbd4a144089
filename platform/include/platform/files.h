// Files and stream devices: opening a path or a device name ("GPS1:",
// "COM7:" ...), reading, writing and device requests on the handle, and the
// file system's directory calls. Paths are unit paths with backslashes
// ("\Mounted Volume\Vesk\calib.dat"). Failures follow Win32: a BOOL or
// handle result plus the last-error code (last_error.h).
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/win_types.h"

namespace platform {

class Files {
  public:
    Files() = default;
    Files(const Files&) = delete;
    Files& operator=(const Files&) = delete;
    virtual ~Files() = default;

    virtual HANDLE CreateFile(std::string_view name, DWORD access, DWORD share, DWORD creation,
                              DWORD flags) = 0;
    virtual BOOL ReadFile(HANDLE h, void* buffer, DWORD toRead, DWORD* read) = 0;
    virtual BOOL WriteFile(HANDLE h, const void* buffer, DWORD toWrite, DWORD* written) = 0;
    virtual BOOL DeviceIoControl(HANDLE h, DWORD code, const void* in, DWORD inSize, void* out,
                                 DWORD outSize, DWORD* returned) = 0;
    // Closes any handle the kernel gave out: files, devices and threads.
    virtual BOOL CloseHandle(HANDLE h) = 0;

    // Directory search; the pattern's last component may hold '*' and '?'.
    virtual HANDLE FindFirstFile(std::string_view pattern, WIN32_FIND_DATA* data) = 0;
    virtual BOOL FindNextFile(HANDLE find, WIN32_FIND_DATA* data) = 0;
    virtual BOOL FindClose(HANDLE find) = 0;
    virtual BOOL CopyFile(std::string_view existing, std::string_view target,
                          BOOL failIfExists) = 0;
    virtual BOOL DeleteFile(std::string_view path) = 0;
    virtual BOOL GetDiskFreeSpaceEx(std::string_view directory, std::uint64_t* freeToCaller,
                                    std::uint64_t* total, std::uint64_t* totalFree) = 0;
    virtual BOOL FileTimeToSystemTime(const FILETIME& time, SYSTEMTIME* out) = 0;
};

}  // namespace platform
