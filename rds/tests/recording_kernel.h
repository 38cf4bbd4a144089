// A kernel that passes every call on to another one (the virtual unit) and
// notes, in order, the calls the tool window makes on its own thread to set
// the port up and to close it: opens, line settings, the event mask, thread
// starts, writes and handle closes. The receive thread's waits and reads
// are not noted.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "platform/kernel.h"

class RecordingKernel : public platform::Kernel {
  public:
    using HANDLE = platform::HANDLE;
    using DWORD = platform::DWORD;
    using BOOL = platform::BOOL;

    explicit RecordingKernel(platform::Kernel& target) : m_target(target) {}

    std::vector<std::string> Calls() {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }
    void ClearCalls() {
        std::lock_guard lock(m_mutex);
        m_calls.clear();
    }

    HANDLE CreateFile(std::string_view name, DWORD access, DWORD share, DWORD creation,
                      DWORD flags) override {
        Note("CreateFile " + std::string(name) + Hex(access) + Hex(share) + Hex(creation) +
             Hex(flags));
        return m_target.CreateFile(name, access, share, creation, flags);
    }
    BOOL ReadFile(HANDLE h, void* buffer, DWORD toRead, DWORD* read) override {
        return m_target.ReadFile(h, buffer, toRead, read);
    }
    BOOL WriteFile(HANDLE h, const void* buffer, DWORD toWrite, DWORD* written) override {
        std::string text = "WriteFile";
        const auto* bytes = static_cast<const unsigned char*>(buffer);
        for (DWORD i = 0; bytes != nullptr && i < toWrite; ++i) {
            text += Hex(bytes[i]);
        }
        Note(text);
        return m_target.WriteFile(h, buffer, toWrite, written);
    }
    BOOL DeviceIoControl(HANDLE h, DWORD code, const void* in, DWORD inSize, void* out,
                         DWORD outSize, DWORD* returned) override {
        return m_target.DeviceIoControl(h, code, in, inSize, out, outSize, returned);
    }
    BOOL CloseHandle(HANDLE h) override {
        bool thread = false;
        {
            std::lock_guard lock(m_mutex);
            thread = std::erase(m_threads, h) > 0;
        }
        Note(thread ? "CloseHandle thread" : "CloseHandle");
        return m_target.CloseHandle(h);
    }
    HANDLE FindFirstFile(std::string_view pattern, platform::WIN32_FIND_DATA* data) override {
        return m_target.FindFirstFile(pattern, data);
    }
    BOOL FindNextFile(HANDLE find, platform::WIN32_FIND_DATA* data) override {
        return m_target.FindNextFile(find, data);
    }
    BOOL FindClose(HANDLE find) override { return m_target.FindClose(find); }
    BOOL CopyFile(std::string_view existing, std::string_view target, BOOL failIfExists) override {
        return m_target.CopyFile(existing, target, failIfExists);
    }
    BOOL DeleteFile(std::string_view path) override { return m_target.DeleteFile(path); }
    BOOL GetDiskFreeSpaceEx(std::string_view directory, std::uint64_t* freeToCaller,
                            std::uint64_t* total, std::uint64_t* totalFree) override {
        return m_target.GetDiskFreeSpaceEx(directory, freeToCaller, total, totalFree);
    }
    BOOL FileTimeToSystemTime(const platform::FILETIME& time, platform::SYSTEMTIME* out) override {
        return m_target.FileTimeToSystemTime(time, out);
    }
    void* VirtualAlloc(void* address, DWORD size, DWORD type, DWORD protect) override {
        return m_target.VirtualAlloc(address, size, type, protect);
    }
    BOOL VirtualCopy(void* destination, std::uint32_t kernelAddress, DWORD size,
                     DWORD protect) override {
        return m_target.VirtualCopy(destination, kernelAddress, size, protect);
    }
    BOOL VirtualFree(void* address, DWORD size, DWORD type) override {
        return m_target.VirtualFree(address, size, type);
    }
    void* LocalAlloc(DWORD flags, std::size_t bytes) override {
        return m_target.LocalAlloc(flags, bytes);
    }
    void* LocalFree(void* memory) override { return m_target.LocalFree(memory); }
    BOOL GetCommState(HANDLE h, platform::DCB* dcb) override {
        Note("GetCommState");
        return m_target.GetCommState(h, dcb);
    }
    BOOL SetCommState(HANDLE h, const platform::DCB& dcb) override {
        Note("SetCommState " + std::to_string(dcb.BaudRate) + " " + std::to_string(dcb.ByteSize) +
             " " + std::to_string(dcb.Parity) + " " + std::to_string(dcb.StopBits));
        return m_target.SetCommState(h, dcb);
    }
    BOOL GetCommTimeouts(HANDLE h, platform::COMMTIMEOUTS* timeouts) override {
        Note("GetCommTimeouts");
        return m_target.GetCommTimeouts(h, timeouts);
    }
    BOOL SetCommTimeouts(HANDLE h, const platform::COMMTIMEOUTS& timeouts) override {
        Note("SetCommTimeouts");
        return m_target.SetCommTimeouts(h, timeouts);
    }
    BOOL SetCommMask(HANDLE h, DWORD mask) override {
        Note("SetCommMask" + Hex(mask));
        return m_target.SetCommMask(h, mask);
    }
    BOOL WaitCommEvent(HANDLE h, DWORD* eventMask) override {
        return m_target.WaitCommEvent(h, eventMask);
    }
    BOOL ClearCommError(HANDLE h, DWORD* errors, platform::COMSTAT* status) override {
        return m_target.ClearCommError(h, errors, status);
    }
    HANDLE CreateThread(std::function<DWORD()> entry, int priority) override {
        Note("CreateThread " + std::to_string(priority));
        const HANDLE h = m_target.CreateThread(std::move(entry), priority);
        std::lock_guard lock(m_mutex);
        m_threads.push_back(h);
        return h;
    }
    DWORD WaitForSingleObject(HANDLE h, DWORD milliseconds) override {
        return m_target.WaitForSingleObject(h, milliseconds);
    }
    void DebugOutput(std::string_view text) override { m_target.DebugOutput(text); }

  private:
    static std::string Hex(DWORD value) {
        char text[16];
        static_cast<void>(std::snprintf(text, sizeof text, " %02X", value));
        return text;
    }
    void Note(std::string call) {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(std::move(call));
    }

    platform::Kernel& m_target;
    std::mutex m_mutex;
    std::vector<HANDLE> m_threads;  // thread handles, whose closing is noted apart
    std::vector<std::string> m_calls;
};
