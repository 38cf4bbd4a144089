// A kernel that answers only the serial-port calls, from fixed records, and
// keeps a log of them and of the debug output. Everything else fails.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/kernel.h"
#include "platform/last_error.h"

class FakeKernel : public platform::Kernel {
  public:
    static constexpr platform::HANDLE kPort = 0x51;

    // What the driver reports and what the calls received.
    platform::DCB reportedDcb;
    platform::COMMTIMEOUTS reportedTimeouts;
    platform::DWORD queued = 0;
    std::vector<platform::DCB> setDcbs;
    std::vector<platform::COMMTIMEOUTS> setTimeouts;
    std::vector<std::string> calls;

    std::vector<std::string> DebugLines() {
        std::lock_guard lock(m_mutex);
        return m_debug;
    }

    platform::HANDLE CreateFile(std::string_view name, platform::DWORD access,
                                platform::DWORD share, platform::DWORD creation,
                                platform::DWORD flags) override {
        calls.push_back("CreateFile " + std::string(name) + " " + std::to_string(access) + " " +
                        std::to_string(share) + " " + std::to_string(creation) + " " +
                        std::to_string(flags));
        return name == "COM7:" ? kPort : Fail(platform::INVALID_HANDLE_VALUE);
    }
    platform::BOOL ReadFile(platform::HANDLE h, void* /*buffer*/, platform::DWORD toRead,
                            platform::DWORD* read) override {
        calls.push_back("ReadFile " + std::to_string(h) + " " + std::to_string(toRead));
        *read = 0;
        return Ok(h);
    }
    platform::BOOL WriteFile(platform::HANDLE h, const void* /*buffer*/, platform::DWORD toWrite,
                             platform::DWORD* written) override {
        calls.push_back("WriteFile " + std::to_string(h) + " " + std::to_string(toWrite));
        *written = toWrite;
        return Ok(h);
    }
    platform::BOOL DeviceIoControl(platform::HANDLE /*h*/, platform::DWORD /*code*/,
                                   const void* /*in*/, platform::DWORD /*inSize*/, void* /*out*/,
                                   platform::DWORD /*outSize*/,
                                   platform::DWORD* /*returned*/) override {
        return Fail(platform::FALSE);
    }
    platform::BOOL CloseHandle(platform::HANDLE h) override {
        calls.push_back("CloseHandle " + std::to_string(h));
        return Ok(h);
    }
    platform::HANDLE FindFirstFile(std::string_view /*pattern*/,
                                   platform::WIN32_FIND_DATA* /*data*/) override {
        return Fail(platform::INVALID_HANDLE_VALUE);
    }
    platform::BOOL FindNextFile(platform::HANDLE /*find*/,
                                platform::WIN32_FIND_DATA* /*data*/) override {
        return Fail(platform::FALSE);
    }
    platform::BOOL FindClose(platform::HANDLE /*find*/) override { return Fail(platform::FALSE); }
    platform::BOOL CopyFile(std::string_view /*existing*/, std::string_view /*target*/,
                            platform::BOOL /*failIfExists*/) override {
        return Fail(platform::FALSE);
    }
    platform::BOOL DeleteFile(std::string_view /*path*/) override { return Fail(platform::FALSE); }
    platform::BOOL GetDiskFreeSpaceEx(std::string_view /*directory*/,
                                      std::uint64_t* /*freeToCaller*/, std::uint64_t* /*total*/,
                                      std::uint64_t* /*totalFree*/) override {
        return Fail(platform::FALSE);
    }
    platform::BOOL FileTimeToSystemTime(const platform::FILETIME& /*time*/,
                                        platform::SYSTEMTIME* /*out*/) override {
        return Fail(platform::FALSE);
    }
    void* VirtualAlloc(void* /*address*/, platform::DWORD /*size*/, platform::DWORD /*type*/,
                       platform::DWORD /*protect*/) override {
        return nullptr;
    }
    platform::BOOL VirtualCopy(void* /*destination*/, std::uint32_t /*kernelAddress*/,
                               platform::DWORD /*size*/, platform::DWORD /*protect*/) override {
        return Fail(platform::FALSE);
    }
    platform::BOOL VirtualFree(void* /*address*/, platform::DWORD /*size*/,
                               platform::DWORD /*type*/) override {
        return Fail(platform::FALSE);
    }
    void* LocalAlloc(platform::DWORD /*flags*/, std::size_t /*bytes*/) override { return nullptr; }
    void* LocalFree(void* memory) override { return memory; }
    platform::BOOL GetCommState(platform::HANDLE h, platform::DCB* dcb) override {
        calls.push_back("GetCommState " + std::to_string(h));
        *dcb = reportedDcb;
        return Ok(h);
    }
    platform::BOOL SetCommState(platform::HANDLE h, const platform::DCB& dcb) override {
        calls.push_back("SetCommState " + std::to_string(h));
        setDcbs.push_back(dcb);
        return Ok(h);
    }
    platform::BOOL GetCommTimeouts(platform::HANDLE h, platform::COMMTIMEOUTS* t) override {
        calls.push_back("GetCommTimeouts " + std::to_string(h));
        *t = reportedTimeouts;
        return Ok(h);
    }
    platform::BOOL SetCommTimeouts(platform::HANDLE h, const platform::COMMTIMEOUTS& t) override {
        calls.push_back("SetCommTimeouts " + std::to_string(h));
        setTimeouts.push_back(t);
        return Ok(h);
    }
    platform::BOOL SetCommMask(platform::HANDLE h, platform::DWORD mask) override {
        calls.push_back("SetCommMask " + std::to_string(h) + " " + std::to_string(mask));
        return Ok(h);
    }
    platform::BOOL WaitCommEvent(platform::HANDLE h, platform::DWORD* eventMask) override {
        calls.push_back("WaitCommEvent " + std::to_string(h));
        *eventMask = platform::EV_RXCHAR;
        return Ok(h);
    }
    platform::BOOL ClearCommError(platform::HANDLE h, platform::DWORD* errors,
                                  platform::COMSTAT* status) override {
        calls.push_back("ClearCommError " + std::to_string(h));
        *errors = 0;
        status->cbInQue = queued;
        return Ok(h);
    }
    platform::HANDLE CreateThread(std::function<platform::DWORD()> /*entry*/,
                                  int /*priority*/) override {
        return Fail(platform::HANDLE{0});
    }
    platform::DWORD WaitForSingleObject(platform::HANDLE /*h*/,
                                        platform::DWORD /*milliseconds*/) override {
        return platform::WAIT_FAILED;
    }
    void DebugOutput(std::string_view text) override {
        std::lock_guard lock(m_mutex);
        m_debug.emplace_back(text);
    }

  private:
    template <typename T>
    static T Fail(T result) {
        platform::SetLastError(platform::ERROR_NOT_SUPPORTED);
        return result;
    }
    static platform::BOOL Ok(platform::HANDLE h) {
        if (h != kPort) {
            platform::SetLastError(platform::ERROR_INVALID_HANDLE);
            return platform::FALSE;
        }
        return platform::TRUE;
    }

    std::mutex m_mutex;
    std::vector<std::string> m_debug;
};
