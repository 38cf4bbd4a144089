// platform::Kernel on the PC's kernel32: files under the root folder,
// "COM7:" on a real port, the unit's own drivers absent, real memory,
// threads and waits, and the debug output.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "handle_table.h"
#include "platform/kernel.h"
#include "root_guard.h"
#include "win32/pc/backend.h"

namespace win32::pc {

class SerialPort;

class Win32Kernel final : public platform::Kernel {
  public:
    // root: the absolute root folder (UTF-8).
    Win32Kernel(std::string root, Options options);

    platform::HANDLE CreateFile(std::string_view name, platform::DWORD access,
                                platform::DWORD share, platform::DWORD creation,
                                platform::DWORD flags) override;
    platform::BOOL ReadFile(platform::HANDLE h, void* buffer, platform::DWORD toRead,
                            platform::DWORD* read) override;
    platform::BOOL WriteFile(platform::HANDLE h, const void* buffer, platform::DWORD toWrite,
                             platform::DWORD* written) override;
    platform::BOOL DeviceIoControl(platform::HANDLE h, platform::DWORD code, const void* in,
                                   platform::DWORD inSize, void* out, platform::DWORD outSize,
                                   platform::DWORD* returned) override;
    platform::BOOL CloseHandle(platform::HANDLE h) override;
    platform::HANDLE FindFirstFile(std::string_view pattern,
                                   platform::WIN32_FIND_DATA* data) override;
    platform::BOOL FindNextFile(platform::HANDLE find, platform::WIN32_FIND_DATA* data) override;
    platform::BOOL FindClose(platform::HANDLE find) override;
    platform::BOOL CopyFile(std::string_view existing, std::string_view target,
                            platform::BOOL failIfExists) override;
    platform::BOOL DeleteFile(std::string_view path) override;
    platform::BOOL GetDiskFreeSpaceEx(std::string_view directory, std::uint64_t* freeToCaller,
                                      std::uint64_t* total, std::uint64_t* totalFree) override;
    platform::BOOL FileTimeToSystemTime(const platform::FILETIME& time,
                                        platform::SYSTEMTIME* out) override;
    void* VirtualAlloc(void* address, platform::DWORD size, platform::DWORD type,
                       platform::DWORD protect) override;
    platform::BOOL VirtualCopy(void* destination, std::uint32_t kernelAddress, platform::DWORD size,
                               platform::DWORD protect) override;
    platform::BOOL VirtualFree(void* address, platform::DWORD size, platform::DWORD type) override;
    void* LocalAlloc(platform::DWORD flags, std::size_t bytes) override;
    void* LocalFree(void* memory) override;
    platform::BOOL GetCommState(platform::HANDLE h, platform::DCB* dcb) override;
    platform::BOOL SetCommState(platform::HANDLE h, const platform::DCB& dcb) override;
    platform::BOOL GetCommTimeouts(platform::HANDLE h, platform::COMMTIMEOUTS* timeouts) override;
    platform::BOOL SetCommTimeouts(platform::HANDLE h,
                                   const platform::COMMTIMEOUTS& timeouts) override;
    platform::BOOL SetCommMask(platform::HANDLE h, platform::DWORD mask) override;
    platform::BOOL WaitCommEvent(platform::HANDLE h, platform::DWORD* eventMask) override;
    platform::BOOL ClearCommError(platform::HANDLE h, platform::DWORD* errors,
                                  platform::COMSTAT* status) override;
    platform::HANDLE CreateThread(std::function<platform::DWORD()> entry, int priority) override;
    platform::DWORD WaitForSingleObject(platform::HANDLE h, platform::DWORD milliseconds) override;
    void DebugOutput(std::string_view text) override;

    [[nodiscard]] const std::string& Root() const { return root_; }
    [[nodiscard]] std::vector<std::string> DebugLines() const;
    void ClearDebugLines();
    // Calls on "COM7:" that wait for the line now.
    int Com7Waiting();
    // Where the bytes written to and read from "COM7:" are reported; null:
    // nowhere.
    void SetTraffic(platform::Traffic* traffic) { traffic_ = traffic; }

  private:
    // The PC path of a unit path under the root (UTF-16), or nullopt with
    // the last error set; also when a link takes it (or a pattern's folder)
    // out of the root.
    std::optional<std::wstring> PcPath(std::string_view unitPath, bool pattern) const;
    platform::HANDLE OpenDevice(std::string_view name, platform::DWORD access,
                                platform::DWORD share);

    // The bytes of a call on "COM7:" that went through, when they are wanted.
    void ReportPort(platform::TrafficKind kind, const void* buffer, platform::DWORD count);

    std::string root_;
    platform::Traffic* traffic_ = nullptr;
    RootGuard guard_;
    Options options_;
    // Serial ports open once at a time, as on the unit and on Windows (wine
    // alone would open one twice).
    std::mutex portsMutex_;
    std::weak_ptr<SerialPort> com7_;
    HandleTable handles_;
    mutable std::mutex debugMutex_;
    std::vector<std::string> debugLines_;
};

}  // namespace win32::pc
