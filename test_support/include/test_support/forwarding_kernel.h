// The base of the kernel doubles that watch a real kernel (the virtual unit):
// every call passes on to the target, so a double overrides only the calls
// it notes or changes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>

#include "platform/kernel.h"

namespace test_support {

class ForwardingKernel : public platform::Kernel {
  public:
    using HANDLE = platform::HANDLE;
    using DWORD = platform::DWORD;
    using BOOL = platform::BOOL;

    explicit ForwardingKernel(platform::Kernel& target) : target_(target) {}

    HANDLE CreateFile(std::string_view name, DWORD access, DWORD share, DWORD creation,
                      DWORD flags) override {
        return target_.CreateFile(name, access, share, creation, flags);
    }
    BOOL ReadFile(HANDLE h, void* buffer, DWORD toRead, DWORD* read) override {
        return target_.ReadFile(h, buffer, toRead, read);
    }
    BOOL WriteFile(HANDLE h, const void* buffer, DWORD toWrite, DWORD* written) override {
        return target_.WriteFile(h, buffer, toWrite, written);
    }
    BOOL DeviceIoControl(HANDLE h, DWORD code, const void* in, DWORD inSize, void* out,
                         DWORD outSize, DWORD* returned) override {
        return target_.DeviceIoControl(h, code, in, inSize, out, outSize, returned);
    }
    BOOL CloseHandle(HANDLE h) override { return target_.CloseHandle(h); }
    HANDLE FindFirstFile(std::string_view pattern, platform::WIN32_FIND_DATA* data) override {
        return target_.FindFirstFile(pattern, data);
    }
    BOOL FindNextFile(HANDLE find, platform::WIN32_FIND_DATA* data) override {
        return target_.FindNextFile(find, data);
    }
    BOOL FindClose(HANDLE find) override { return target_.FindClose(find); }
    BOOL CopyFile(std::string_view existing, std::string_view target, BOOL failIfExists) override {
        return target_.CopyFile(existing, target, failIfExists);
    }
    BOOL DeleteFile(std::string_view path) override { return target_.DeleteFile(path); }
    BOOL GetDiskFreeSpaceEx(std::string_view directory, std::uint64_t* freeToCaller,
                            std::uint64_t* total, std::uint64_t* totalFree) override {
        return target_.GetDiskFreeSpaceEx(directory, freeToCaller, total, totalFree);
    }
    BOOL FileTimeToSystemTime(const platform::FILETIME& time, platform::SYSTEMTIME* out) override {
        return target_.FileTimeToSystemTime(time, out);
    }

    BOOL GetCommState(HANDLE h, platform::DCB* dcb) override {
        return target_.GetCommState(h, dcb);
    }
    BOOL SetCommState(HANDLE h, const platform::DCB& dcb) override {
        return target_.SetCommState(h, dcb);
    }
    BOOL GetCommTimeouts(HANDLE h, platform::COMMTIMEOUTS* timeouts) override {
        return target_.GetCommTimeouts(h, timeouts);
    }
    BOOL SetCommTimeouts(HANDLE h, const platform::COMMTIMEOUTS& timeouts) override {
        return target_.SetCommTimeouts(h, timeouts);
    }
    BOOL SetCommMask(HANDLE h, DWORD mask) override { return target_.SetCommMask(h, mask); }
    BOOL WaitCommEvent(HANDLE h, DWORD* eventMask) override {
        return target_.WaitCommEvent(h, eventMask);
    }
    BOOL ClearCommError(HANDLE h, DWORD* errors, platform::COMSTAT* status) override {
        return target_.ClearCommError(h, errors, status);
    }

    void* VirtualAlloc(void* address, DWORD size, DWORD type, DWORD protect) override {
        return target_.VirtualAlloc(address, size, type, protect);
    }
    BOOL VirtualCopy(void* destination, std::uint32_t kernelAddress, DWORD size,
                     DWORD protect) override {
        return target_.VirtualCopy(destination, kernelAddress, size, protect);
    }
    BOOL VirtualFree(void* address, DWORD size, DWORD type) override {
        return target_.VirtualFree(address, size, type);
    }
    void* LocalAlloc(DWORD flags, std::size_t bytes) override {
        return target_.LocalAlloc(flags, bytes);
    }
    void* LocalFree(void* memory) override { return target_.LocalFree(memory); }

    HANDLE CreateThread(std::function<DWORD()> entry, int priority) override {
        return target_.CreateThread(std::move(entry), priority);
    }
    DWORD WaitForSingleObject(HANDLE h, DWORD milliseconds) override {
        return target_.WaitForSingleObject(h, milliseconds);
    }

    void DebugOutput(std::string_view text) override { target_.DebugOutput(text); }

  private:
    platform::Kernel& target_;
};

}  // namespace test_support
