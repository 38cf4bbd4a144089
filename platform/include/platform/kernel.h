// The kernel and file services of the unit: files and stream devices, serial
// ports, address-space mapping of hardware registers, local memory, threads
// and the debug output. Failures follow Win32: a BOOL or handle result plus a
// per-thread last-error code (see last_error.h), never an exception.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "platform/win_types.h"

namespace platform {

class Kernel {
  public:
    Kernel() = default;
    Kernel(const Kernel&) = delete;
    Kernel& operator=(const Kernel&) = delete;
    virtual ~Kernel() = default;

    // Files and stream devices ("GPS1:", "COM7:" ...). Paths are unit paths
    // with backslashes ("\Mounted Volume\Vesk\calib.dat").
    virtual HANDLE CreateFile(std::string_view name, DWORD access, DWORD share, DWORD creation,
                              DWORD flags) = 0;
    virtual BOOL ReadFile(HANDLE h, void* buffer, DWORD toRead, DWORD* read) = 0;
    virtual BOOL WriteFile(HANDLE h, const void* buffer, DWORD toWrite, DWORD* written) = 0;
    virtual BOOL DeviceIoControl(HANDLE h, DWORD code, const void* in, DWORD inSize, void* out,
                                 DWORD outSize, DWORD* returned) = 0;
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

    // Address space: reserve, map a kernel virtual range into the
    // reservation, release. kernelAddress is the target's physical-window
    // address (0xA7000000 for the GPIO block, ...).
    virtual void* VirtualAlloc(void* address, DWORD size, DWORD type, DWORD protect) = 0;
    virtual BOOL VirtualCopy(void* destination, std::uint32_t kernelAddress, DWORD size,
                             DWORD protect) = 0;
    virtual BOOL VirtualFree(void* address, DWORD size, DWORD type) = 0;

    // Local heap (LPTR gives zero-filled memory). LocalFree returns null on
    // success.
    virtual void* LocalAlloc(DWORD flags, std::size_t bytes) = 0;
    virtual void* LocalFree(void* memory) = 0;

    // Serial ports, on a handle from CreateFile("COMn:").
    virtual BOOL GetCommState(HANDLE h, DCB* dcb) = 0;
    virtual BOOL SetCommState(HANDLE h, const DCB& dcb) = 0;
    virtual BOOL GetCommTimeouts(HANDLE h, COMMTIMEOUTS* timeouts) = 0;
    virtual BOOL SetCommTimeouts(HANDLE h, const COMMTIMEOUTS& timeouts) = 0;
    virtual BOOL SetCommMask(HANDLE h, DWORD mask) = 0;
    virtual BOOL WaitCommEvent(HANDLE h, DWORD* eventMask) = 0;
    virtual BOOL ClearCommError(HANDLE h, DWORD* errors, COMSTAT* status) = 0;

    // Threads. CreateThread gives 0 and a last-error code when no thread can
    // be started; the handle is released with CloseHandle. priority is the
    // Windows CE scale (0 time-critical .. 7 idle, 3 normal).
    virtual HANDLE CreateThread(std::function<DWORD()> entry, int priority) = 0;
    virtual DWORD WaitForSingleObject(HANDLE h, DWORD milliseconds) = 0;

    // One line of debug output (NKDbgPrintfW); the text carries its own
    // "\r\n".
    virtual void DebugOutput(std::string_view text) = 0;
};

}  // namespace platform
