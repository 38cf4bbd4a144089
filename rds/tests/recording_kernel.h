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

#include "test_support/forwarding_kernel.h"

class RecordingKernel : public test_support::ForwardingKernel {
  public:
    using ForwardingKernel::ForwardingKernel;

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
        return ForwardingKernel::CreateFile(name, access, share, creation, flags);
    }
    BOOL WriteFile(HANDLE h, const void* buffer, DWORD toWrite, DWORD* written) override {
        std::string text = "WriteFile";
        const auto* bytes = static_cast<const unsigned char*>(buffer);
        for (DWORD i = 0; bytes != nullptr && i < toWrite; ++i) {
            text += Hex(bytes[i]);
        }
        Note(text);
        return ForwardingKernel::WriteFile(h, buffer, toWrite, written);
    }
    BOOL CloseHandle(HANDLE h) override {
        bool thread = false;
        {
            std::lock_guard lock(m_mutex);
            thread = std::erase(m_threads, h) > 0;
        }
        Note(thread ? "CloseHandle thread" : "CloseHandle");
        return ForwardingKernel::CloseHandle(h);
    }
    BOOL GetCommState(HANDLE h, platform::DCB* dcb) override {
        Note("GetCommState");
        return ForwardingKernel::GetCommState(h, dcb);
    }
    BOOL SetCommState(HANDLE h, const platform::DCB& dcb) override {
        Note("SetCommState " + std::to_string(dcb.BaudRate) + " " + std::to_string(dcb.ByteSize) +
             " " + std::to_string(dcb.Parity) + " " + std::to_string(dcb.StopBits));
        return ForwardingKernel::SetCommState(h, dcb);
    }
    BOOL GetCommTimeouts(HANDLE h, platform::COMMTIMEOUTS* timeouts) override {
        Note("GetCommTimeouts");
        return ForwardingKernel::GetCommTimeouts(h, timeouts);
    }
    BOOL SetCommTimeouts(HANDLE h, const platform::COMMTIMEOUTS& timeouts) override {
        Note("SetCommTimeouts");
        return ForwardingKernel::SetCommTimeouts(h, timeouts);
    }
    BOOL SetCommMask(HANDLE h, DWORD mask) override {
        Note("SetCommMask" + Hex(mask));
        return ForwardingKernel::SetCommMask(h, mask);
    }
    HANDLE CreateThread(std::function<DWORD()> entry, int priority) override {
        Note("CreateThread " + std::to_string(priority));
        const HANDLE h = ForwardingKernel::CreateThread(std::move(entry), priority);
        std::lock_guard lock(m_mutex);
        m_threads.push_back(h);
        return h;
    }

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

    std::mutex m_mutex;
    std::vector<HANDLE> m_threads;  // thread handles, whose closing is noted apart
    std::vector<std::string> m_calls;
};
