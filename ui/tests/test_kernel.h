// A kernel for the framework's tests: real threads (CreateThread can be made
// to fail), debug output kept in memory, everything else unsupported.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/kernel.h"
#include "platform/last_error.h"

namespace ui::test {

class TestKernel : public platform::Kernel {
  public:
    using HANDLE = platform::HANDLE;
    using DWORD = platform::DWORD;
    using BOOL = platform::BOOL;

    ~TestKernel() override {
        for (auto& [h, t] : threads_) {
            if (t->joinable()) {
                t->join();
            }
        }
    }

    bool failThreads = false;

    HANDLE CreateThread(std::function<DWORD()> entry, int /*priority*/) override {
        if (failThreads) {
            platform::SetLastError(platform::ERROR_NOT_ENOUGH_MEMORY);
            return 0;
        }
        std::lock_guard lock(mutex_);
        const HANDLE h = next_++;
        threads_[h] = std::make_unique<std::thread>([entry = std::move(entry)] { entry(); });
        return h;
    }
    DWORD WaitForSingleObject(HANDLE h, DWORD /*ms*/) override {
        std::thread* t = Find(h);
        if (t == nullptr) {
            return platform::WAIT_FAILED;
        }
        if (t->joinable()) {
            t->join();
        }
        return platform::WAIT_OBJECT_0;
    }
    BOOL CloseHandle(HANDLE h) override {
        std::unique_ptr<std::thread> t;
        {
            std::lock_guard lock(mutex_);
            auto it = threads_.find(h);
            if (it == threads_.end()) {
                return platform::FALSE;
            }
            t = std::move(it->second);
            threads_.erase(it);
        }
        if (t->joinable()) {
            t->join();
        }
        return platform::TRUE;
    }
    void DebugOutput(std::string_view text) override {
        std::lock_guard lock(mutex_);
        debug_.emplace_back(text);
    }
    std::vector<std::string> Debug() {
        std::lock_guard lock(mutex_);
        return debug_;
    }
    std::size_t OpenThreads() {
        std::lock_guard lock(mutex_);
        return threads_.size();
    }

    // Not used by the framework.
    HANDLE CreateFile(std::string_view, DWORD, DWORD, DWORD, DWORD) override { return No(); }
    BOOL ReadFile(HANDLE, void*, DWORD, DWORD*) override { return Fail(); }
    BOOL WriteFile(HANDLE, const void*, DWORD, DWORD*) override { return Fail(); }
    BOOL DeviceIoControl(HANDLE, DWORD, const void*, DWORD, void*, DWORD, DWORD*) override {
        return Fail();
    }
    HANDLE FindFirstFile(std::string_view, platform::WIN32_FIND_DATA*) override { return No(); }
    BOOL FindNextFile(HANDLE, platform::WIN32_FIND_DATA*) override { return Fail(); }
    BOOL FindClose(HANDLE) override { return Fail(); }
    BOOL CopyFile(std::string_view, std::string_view, BOOL) override { return Fail(); }
    BOOL DeleteFile(std::string_view) override { return Fail(); }
    BOOL GetDiskFreeSpaceEx(std::string_view, std::uint64_t*, std::uint64_t*,
                            std::uint64_t*) override {
        return Fail();
    }
    BOOL FileTimeToSystemTime(const platform::FILETIME&, platform::SYSTEMTIME*) override {
        return Fail();
    }
    void* VirtualAlloc(void*, DWORD, DWORD, DWORD) override { return nullptr; }
    BOOL VirtualCopy(void*, std::uint32_t, DWORD, DWORD) override { return Fail(); }
    BOOL VirtualFree(void*, DWORD, DWORD) override { return Fail(); }
    void* LocalAlloc(DWORD, std::size_t) override { return nullptr; }
    void* LocalFree(void* memory) override { return memory; }
    BOOL GetCommState(HANDLE, platform::DCB*) override { return Fail(); }
    BOOL SetCommState(HANDLE, const platform::DCB&) override { return Fail(); }
    BOOL GetCommTimeouts(HANDLE, platform::COMMTIMEOUTS*) override { return Fail(); }
    BOOL SetCommTimeouts(HANDLE, const platform::COMMTIMEOUTS&) override { return Fail(); }
    BOOL SetCommMask(HANDLE, DWORD) override { return Fail(); }
    BOOL WaitCommEvent(HANDLE, DWORD*) override { return Fail(); }
    BOOL ClearCommError(HANDLE, DWORD*, platform::COMSTAT*) override { return Fail(); }

  private:
    static BOOL Fail() {
        platform::SetLastError(platform::ERROR_NOT_SUPPORTED);
        return platform::FALSE;
    }
    static HANDLE No() {
        platform::SetLastError(platform::ERROR_NOT_SUPPORTED);
        return platform::INVALID_HANDLE_VALUE;
    }
    std::thread* Find(HANDLE h) {
        std::lock_guard lock(mutex_);
        auto it = threads_.find(h);
        return it == threads_.end() ? nullptr : it->second.get();
    }

    std::mutex mutex_;
    HANDLE next_ = 0x100;
    std::map<HANDLE, std::unique_ptr<std::thread>> threads_;
    std::vector<std::string> debug_;
};

}  // namespace ui::test
