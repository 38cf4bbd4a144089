// A kernel that answers only the serial-port calls, from fixed records, and
// keeps what they were given and the debug output. Everything else fails.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/last_error.h"
#include "test_support/unsupported_kernel.h"

class FakeKernel : public test_support::UnsupportedKernel {
  public:
    static constexpr HANDLE kPort = 0x51;

    platform::DCB reportedDcb;
    platform::COMMTIMEOUTS reportedTimeouts;
    DWORD queued = 0;
    std::string opened;  // name, access, share, creation, flags
    std::vector<platform::DCB> setDcbs;
    std::vector<platform::COMMTIMEOUTS> setTimeouts;

    std::vector<std::string> DebugLines() {
        std::lock_guard lock(m_mutex);
        return m_debug;
    }

    HANDLE CreateFile(std::string_view name, DWORD access, DWORD share, DWORD creation,
                      DWORD flags) override {
        opened = std::string(name) + " " + std::to_string(access) + " " + std::to_string(share) +
                 " " + std::to_string(creation) + " " + std::to_string(flags);
        return name == "COM7:" ? kPort : platform::INVALID_HANDLE_VALUE;
    }
    BOOL GetCommState(HANDLE h, platform::DCB* dcb) override {
        *dcb = reportedDcb;
        return Ok(h);
    }
    BOOL SetCommState(HANDLE h, const platform::DCB& dcb) override {
        setDcbs.push_back(dcb);
        return Ok(h);
    }
    BOOL GetCommTimeouts(HANDLE h, platform::COMMTIMEOUTS* t) override {
        *t = reportedTimeouts;
        return Ok(h);
    }
    BOOL SetCommTimeouts(HANDLE h, const platform::COMMTIMEOUTS& t) override {
        setTimeouts.push_back(t);
        return Ok(h);
    }
    BOOL ClearCommError(HANDLE h, DWORD* errors, platform::COMSTAT* status) override {
        *errors = 0;
        status->cbInQue = queued;
        return Ok(h);
    }
    void DebugOutput(std::string_view text) override {
        std::lock_guard lock(m_mutex);
        m_debug.emplace_back(text);
    }

  private:
    static BOOL Ok(HANDLE h) {
        if (h != kPort) {
            platform::SetLastError(platform::ERROR_INVALID_HANDLE);
            return platform::FALSE;
        }
        return platform::TRUE;
    }

    std::mutex m_mutex;
    std::vector<std::string> m_debug;
};
