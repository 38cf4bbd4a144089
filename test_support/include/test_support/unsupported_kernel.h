// The base of the kernel doubles: every call fails as the Win32 API reports
// it (FALSE, INVALID_HANDLE_VALUE, null or WAIT_FAILED) with
// ERROR_NOT_SUPPORTED as the last error, so a double overrides only the calls
// its test answers. Debug output is dropped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "platform/kernel.h"
#include "platform/last_error.h"

namespace test_support {

class UnsupportedKernel : public platform::Kernel {
  public:
    using HANDLE = platform::HANDLE;
    using DWORD = platform::DWORD;
    using BOOL = platform::BOOL;

    HANDLE CreateFile(std::string_view, DWORD, DWORD, DWORD, DWORD) override {
        return Refuse("CreateFile", platform::INVALID_HANDLE_VALUE);
    }
    BOOL ReadFile(HANDLE, void*, DWORD, DWORD*) override { return Refuse("ReadFile"); }
    BOOL WriteFile(HANDLE, const void*, DWORD, DWORD*) override { return Refuse("WriteFile"); }
    BOOL DeviceIoControl(HANDLE, DWORD, const void*, DWORD, void*, DWORD, DWORD*) override {
        return Refuse("DeviceIoControl");
    }
    BOOL CloseHandle(HANDLE) override { return Refuse("CloseHandle"); }
    HANDLE FindFirstFile(std::string_view, platform::WIN32_FIND_DATA*) override {
        return Refuse("FindFirstFile", platform::INVALID_HANDLE_VALUE);
    }
    BOOL FindNextFile(HANDLE, platform::WIN32_FIND_DATA*) override {
        return Refuse("FindNextFile");
    }
    BOOL FindClose(HANDLE) override { return Refuse("FindClose"); }
    BOOL CopyFile(std::string_view, std::string_view, BOOL) override { return Refuse("CopyFile"); }
    BOOL DeleteFile(std::string_view) override { return Refuse("DeleteFile"); }
    BOOL GetDiskFreeSpaceEx(std::string_view, std::uint64_t*, std::uint64_t*,
                            std::uint64_t*) override {
        return Refuse("GetDiskFreeSpaceEx");
    }
    BOOL FileTimeToSystemTime(const platform::FILETIME&, platform::SYSTEMTIME*) override {
        return Refuse("FileTimeToSystemTime");
    }

    BOOL GetCommState(HANDLE, platform::DCB*) override { return Refuse("GetCommState"); }
    BOOL SetCommState(HANDLE, const platform::DCB&) override { return Refuse("SetCommState"); }
    BOOL GetCommTimeouts(HANDLE, platform::COMMTIMEOUTS*) override {
        return Refuse("GetCommTimeouts");
    }
    BOOL SetCommTimeouts(HANDLE, const platform::COMMTIMEOUTS&) override {
        return Refuse("SetCommTimeouts");
    }
    BOOL SetCommMask(HANDLE, DWORD) override { return Refuse("SetCommMask"); }
    BOOL WaitCommEvent(HANDLE, DWORD*) override { return Refuse("WaitCommEvent"); }
    BOOL ClearCommError(HANDLE, DWORD*, platform::COMSTAT*) override {
        return Refuse("ClearCommError");
    }

    void* VirtualAlloc(void*, DWORD, DWORD, DWORD) override {
        return Refuse<void*>("VirtualAlloc", nullptr);
    }
    BOOL VirtualCopy(void*, std::uint32_t, DWORD, DWORD) override { return Refuse("VirtualCopy"); }
    BOOL VirtualFree(void*, DWORD, DWORD) override { return Refuse("VirtualFree"); }
    void* LocalAlloc(DWORD, std::size_t) override { return Refuse<void*>("LocalAlloc", nullptr); }
    // Failing to free hands the memory back.
    void* LocalFree(void* memory) override { return Refuse("LocalFree", memory); }

    HANDLE CreateThread(std::function<DWORD()>, int) override {
        return Refuse("CreateThread", HANDLE{0});
    }
    DWORD WaitForSingleObject(HANDLE, DWORD) override {
        return Refuse("WaitForSingleObject", platform::WAIT_FAILED);
    }

    void DebugOutput(std::string_view) override {}

  protected:
    // Told the name of every call refused; a double that must notice stray
    // calls overrides it.
    virtual void Refused(std::string_view /*call*/) {}

  private:
    template <class T>
    T Refuse(std::string_view call, T result) {
        Refused(call);
        platform::SetLastError(platform::ERROR_NOT_SUPPORTED);
        return result;
    }
    BOOL Refuse(std::string_view call) { return Refuse(call, platform::FALSE); }
};

}  // namespace test_support
