// A scripted tuner port. Waits follow `waits` (when it runs out the port
// reports itself closed) and put what they bring into the input queue, which
// QueuedBytes and Read serve; reads follow `reads` first (when both run out,
// reads bring nothing). Calls on any handle but Open's fail with error 6.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/last_error.h"
#include "rds/serial_port.h"

using Bytes = std::vector<std::uint8_t>;

inline Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

class FakeRdsPort : public RdsSerialPort {
  public:
    using HANDLE = platform::HANDLE;
    using DWORD = platform::DWORD;
    using BOOL = platform::BOOL;
    static constexpr HANDLE kHandle = 0x7C;
    static constexpr DWORD kAsRead = 0xFFFFFFFFU;

    struct Wait {
        DWORD error = 0;  // fails with it when not 0
        DWORD events = platform::EV_RXCHAR;
        Bytes arrives;
    };
    struct ReadStep {
        DWORD error = 0;  // fails with it when not 0
        Bytes bytes;
        DWORD reportedCount = kAsRead;
    };

    // The script.
    bool openFails = false;
    std::deque<Wait> waits;
    std::deque<ReadStep> reads;
    std::deque<DWORD> queuedOverride;  // what QueuedBytes reports, once each
    DWORD writeError = 0;
    DWORD clock = 0;
    std::function<void()> beforeRead;

    // What happened.
    Bytes input;
    std::vector<std::string> calls;
    std::vector<Bytes> writes;
    std::vector<DWORD> readSizes;
    std::vector<HANDLE> readHandles;
    int waitCount = 0;

    HANDLE Open() override {
        calls.emplace_back("Open");
        return openFails ? platform::INVALID_HANDLE_VALUE : kHandle;
    }
    void ConfigureLine(HANDLE h) override { Log("ConfigureLine", h); }
    void SetReadTimeouts(HANDLE h) override { Log("SetReadTimeouts", h); }
    BOOL SetEventMask(HANDLE h, DWORD mask) override {
        Log("SetEventMask", h, std::to_string(mask));
        return Valid(h);
    }
    BOOL WaitEvent(HANDLE h, DWORD* events) override {
        ++waitCount;
        *events = 0;
        if (!Valid(h) || waits.empty()) {
            return Fail(platform::ERROR_INVALID_HANDLE);
        }
        const Wait wait = waits.front();
        waits.pop_front();
        input.insert(input.end(), wait.arrives.begin(), wait.arrives.end());
        *events = wait.events;
        return wait.error != 0 ? Fail(wait.error) : platform::TRUE;
    }
    BOOL QueuedBytes(HANDLE h, DWORD* count) override {
        *count = static_cast<DWORD>(input.size());
        if (!queuedOverride.empty()) {
            *count = queuedOverride.front();
            queuedOverride.pop_front();
        }
        return Valid(h);
    }
    BOOL Read(HANDLE h, void* buffer, DWORD toRead, DWORD* read) override {
        if (beforeRead) {
            beforeRead();
        }
        *read = 0;
        readSizes.push_back(toRead);
        readHandles.push_back(h);
        if (!Valid(h)) {
            return platform::FALSE;
        }
        // What was queued is taken even when a scripted step answers.
        const auto queued = std::min<std::size_t>(input.size(), toRead);
        ReadStep step{0, Bytes(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(queued)),
                      kAsRead};
        input.erase(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(queued));
        if (!reads.empty()) {
            step = reads.front();
            reads.pop_front();
        }
        if (step.error != 0) {
            return Fail(step.error);
        }
        const std::size_t n = std::min<std::size_t>(step.bytes.size(), toRead);
        std::copy_n(step.bytes.begin(), n, static_cast<std::uint8_t*>(buffer));
        *read = step.reportedCount != kAsRead ? step.reportedCount : static_cast<DWORD>(n);
        return platform::TRUE;
    }
    BOOL Write(HANDLE h, const void* data, DWORD toWrite, DWORD* written) override {
        *written = 0;
        if (!Valid(h) || writeError != 0) {
            return Fail(writeError != 0 ? writeError : platform::ERROR_INVALID_HANDLE);
        }
        Log("Write", h);
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        writes.emplace_back(bytes, bytes + toWrite);
        *written = toWrite;
        return platform::TRUE;
    }
    BOOL Close(HANDLE h) override {
        Log("Close", h);
        return Valid(h);
    }
    DWORD LastError() override { return platform::GetLastError(); }
    DWORD Now() override { return clock; }

  private:
    void Log(const char* call, HANDLE h, const std::string& more = {}) {
        std::string line = call;
        line.append(1, ' ').append(std::to_string(h));
        if (!more.empty()) {
            line.append(1, ' ').append(more);
        }
        calls.push_back(line);
    }
    static BOOL Fail(DWORD error) {
        platform::SetLastError(error);
        return platform::FALSE;
    }
    static bool Valid(HANDLE h) {
        return h == kHandle || Fail(platform::ERROR_INVALID_HANDLE) != platform::FALSE;
    }
};

// Script steps.
inline FakeRdsPort::Wait Arrives(Bytes bytes, platform::DWORD events = platform::EV_RXCHAR) {
    return {0, events, std::move(bytes)};
}
inline FakeRdsPort::Wait Event(platform::DWORD events) {
    return {0, events, {}};
}
inline FakeRdsPort::Wait WaitFails(platform::DWORD error) {
    return {error, 0, {}};
}
inline FakeRdsPort::ReadStep Gives(Bytes bytes, platform::DWORD count = FakeRdsPort::kAsRead) {
    return {0, std::move(bytes), count};
}
inline FakeRdsPort::ReadStep ReadFails(platform::DWORD error) {
    return {error, {}, 0};
}
