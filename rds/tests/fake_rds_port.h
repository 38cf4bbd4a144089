// A scripted tuner port for the link tests. Waits follow a script (when it
// runs out the port reports itself closed); data that a wait delivers goes
// to the input queue, which QueuedBytes and Read serve. The module check's
// reads can instead follow a read script (when it runs out, reads bring
// nothing). Calls on any handle but the one Open gave fail with error 6.
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

class FakeRdsPort : public RdsSerialPort {
  public:
    static constexpr platform::HANDLE kHandle = 0x7C;

    struct Wait {
        platform::BOOL ok = platform::TRUE;
        platform::DWORD events = platform::EV_RXCHAR;
        platform::DWORD error = 0;  // set when !ok
        Bytes arrives;              // appended to the input queue
    };
    struct ReadStep {
        platform::BOOL ok = platform::TRUE;
        Bytes bytes;
        platform::DWORD error = 0;
        platform::DWORD reportedCount = 0xFFFFFFFFU;  // overrides the count when set
    };

    // Script.
    bool openFails = false;
    std::deque<Wait> waits;
    std::deque<ReadStep> reads;
    platform::BOOL writeResult = platform::TRUE;
    platform::DWORD writeError = 0;
    platform::DWORD clock = 0;
    // Overrides what QueuedBytes reports (once per entry) when not empty.
    std::deque<platform::DWORD> queuedOverride;
    std::function<void()> beforeRead;

    // What happened.
    Bytes input;
    std::vector<std::string> calls;
    std::vector<Bytes> writes;
    std::vector<platform::DWORD> readSizes;
    std::vector<platform::HANDLE> readHandles;
    std::vector<platform::DWORD> masks;
    int waitCount = 0;

    platform::HANDLE Open() override {
        calls.emplace_back("Open");
        if (openFails) {
            platform::SetLastError(platform::ERROR_FILE_NOT_FOUND);
            return platform::INVALID_HANDLE_VALUE;
        }
        return kHandle;
    }
    void ConfigureLine(platform::HANDLE h) override { calls.push_back(Named("ConfigureLine", h)); }
    void SetReadTimeouts(platform::HANDLE h) override {
        calls.push_back(Named("SetReadTimeouts", h));
    }
    platform::BOOL SetEventMask(platform::HANDLE h, platform::DWORD mask) override {
        calls.push_back(Named("SetEventMask", h) + " " + std::to_string(mask));
        masks.push_back(mask);
        return Valid(h);
    }
    platform::BOOL WaitEvent(platform::HANDLE h, platform::DWORD* events) override {
        ++waitCount;
        *events = 0;
        if (Valid(h) == platform::FALSE || waits.empty()) {
            return Fail(platform::ERROR_INVALID_HANDLE);
        }
        Wait wait = std::move(waits.front());
        waits.pop_front();
        input.insert(input.end(), wait.arrives.begin(), wait.arrives.end());
        if (wait.ok == platform::FALSE) {
            return Fail(wait.error);
        }
        *events = wait.events;
        return platform::TRUE;
    }
    platform::BOOL QueuedBytes(platform::HANDLE h, platform::DWORD* count) override {
        *count = 0;
        if (Valid(h) == platform::FALSE) {
            return platform::FALSE;
        }
        if (!queuedOverride.empty()) {
            *count = queuedOverride.front();
            queuedOverride.pop_front();
        } else {
            *count = static_cast<platform::DWORD>(input.size());
        }
        return platform::TRUE;
    }
    platform::BOOL Read(platform::HANDLE h, void* buffer, platform::DWORD toRead,
                        platform::DWORD* read) override {
        if (beforeRead) {
            beforeRead();
        }
        *read = 0;
        readSizes.push_back(toRead);
        readHandles.push_back(h);
        if (Valid(h) == platform::FALSE) {
            return platform::FALSE;
        }
        auto* out = static_cast<std::uint8_t*>(buffer);
        if (!reads.empty()) {
            // The scripted step answers; what was queued is taken all the same.
            input.erase(input.begin(),
                        input.begin() + static_cast<std::ptrdiff_t>(
                                            std::min<std::size_t>(input.size(), toRead)));
            ReadStep step = std::move(reads.front());
            reads.pop_front();
            if (step.ok == platform::FALSE) {
                return Fail(step.error);
            }
            const std::size_t n = std::min<std::size_t>(step.bytes.size(), toRead);
            std::copy_n(step.bytes.begin(), n, out);
            *read = step.reportedCount != 0xFFFFFFFFU ? step.reportedCount
                                                      : static_cast<platform::DWORD>(n);
            return platform::TRUE;
        }
        const std::size_t n = std::min<std::size_t>(input.size(), toRead);
        std::copy_n(input.begin(), n, out);
        input.erase(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(n));
        *read = static_cast<platform::DWORD>(n);
        return platform::TRUE;
    }
    platform::BOOL Write(platform::HANDLE h, const void* data, platform::DWORD toWrite,
                         platform::DWORD* written) override {
        *written = 0;
        if (Valid(h) == platform::FALSE) {
            return platform::FALSE;
        }
        calls.emplace_back("Write");
        if (writeResult == platform::FALSE) {
            return Fail(writeError);
        }
        const auto* in = static_cast<const std::uint8_t*>(data);
        writes.emplace_back(in, in + toWrite);
        *written = toWrite;
        return platform::TRUE;
    }
    platform::BOOL Close(platform::HANDLE h) override {
        calls.push_back(Named("Close", h));
        return Valid(h);
    }
    platform::DWORD LastError() override { return platform::GetLastError(); }
    platform::DWORD Now() override { return clock; }

  private:
    static std::string Named(const char* call, platform::HANDLE h) {
        return std::string(call) + " " + std::to_string(h);
    }
    static platform::BOOL Fail(platform::DWORD error) {
        platform::SetLastError(error);
        return platform::FALSE;
    }
    static platform::BOOL Valid(platform::HANDLE h) {
        if (h != kHandle) {
            return Fail(platform::ERROR_INVALID_HANDLE);
        }
        return platform::TRUE;
    }
};

// Script steps.
inline FakeRdsPort::Wait Arrives(Bytes bytes, platform::DWORD events = platform::EV_RXCHAR) {
    FakeRdsPort::Wait wait;
    wait.events = events;
    wait.arrives = std::move(bytes);
    return wait;
}
inline FakeRdsPort::Wait Event(platform::DWORD events) {
    return Arrives({}, events);
}
inline FakeRdsPort::Wait WaitFails(platform::DWORD error) {
    FakeRdsPort::Wait wait;
    wait.ok = platform::FALSE;
    wait.error = error;
    return wait;
}
inline FakeRdsPort::ReadStep Gives(Bytes bytes, platform::DWORD reportedCount = 0xFFFFFFFFU) {
    FakeRdsPort::ReadStep step;
    step.bytes = std::move(bytes);
    step.reportedCount = reportedCount;
    return step;
}
inline FakeRdsPort::ReadStep ReadFails(platform::DWORD error) {
    FakeRdsPort::ReadStep step;
    step.ok = platform::FALSE;
    step.error = error;
    return step;
}
