// A kernel whose "GPS1:" answers from a script, one entry per request, for
// the receive loop's tests; real threads, debug output kept, and every other
// call unsupported.
#pragma once

#include <atomic>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/last_error.h"
#include "test_support/unsupported_kernel.h"

namespace gps_test {

using platform::BOOL;
using platform::DWORD;
using platform::FALSE;
using platform::HANDLE;
using platform::TRUE;

struct DriverAnswer {
    DWORD code = 0;  // the request expected
    BOOL ok = TRUE;  // FALSE: fails with error
    DWORD error = 0;
    DWORD count = 0;             // code 1's answer
    std::string bytes;           // code 2's answer: exactly the buffer's size
    bool stopMeanwhile = false;  // the window sets its stop flag during the call
};

inline DriverAnswer Wait(bool stopMeanwhile = false) {
    return {0, TRUE, 0, 0, {}, stopMeanwhile};
}
inline DriverAnswer Size(DWORD count) {
    return {1, TRUE, 0, count, {}, false};
}
inline DriverAnswer Data(std::string bytes) {
    return {2, TRUE, 0, 0, std::move(bytes), false};
}
inline DriverAnswer Fails(DWORD code, DWORD error) {
    return {code, FALSE, error, 0, {}, false};
}

class ScriptedGpsKernel : public test_support::UnsupportedKernel {
  public:
    static constexpr HANDLE kGps = 0x5000;

    ~ScriptedGpsKernel() override {
        for (auto& [h, t] : threads_) {
            if (t.joinable()) {
                t.join();
            }
        }
    }

    void SetScript(std::vector<DriverAnswer> script, std::atomic<std::int32_t>* stop) {
        std::lock_guard lock(mutex_);
        script_ = std::move(script);
        next_ = 0;
        stop_ = stop;
    }
    // Mismatches between the requests made and the script.
    std::vector<std::string> Problems() {
        std::lock_guard lock(mutex_);
        return problems_;
    }
    std::vector<std::string> Debug() {
        std::lock_guard lock(mutex_);
        return debug_;
    }

    BOOL DeviceIoControl(HANDLE h, DWORD code, const void*, DWORD, void* out, DWORD outSize,
                         DWORD*) override {
        std::lock_guard lock(mutex_);
        if (h != kGps || next_ >= script_.size()) {
            problems_.push_back("request " + std::to_string(code) + " beyond the script");
            platform::SetLastError(platform::ERROR_INVALID_HANDLE);
            return FALSE;
        }
        const DriverAnswer& a = script_[next_++];
        if (a.code != code) {
            problems_.push_back("request " + std::to_string(code) + " where " +
                                std::to_string(a.code) + " was due");
        }
        if (a.stopMeanwhile && stop_ != nullptr) {
            stop_->store(1);
        }
        if (a.ok == FALSE) {
            platform::SetLastError(a.error);
            return FALSE;
        }
        if (code == 1) {
            if (out == nullptr || outSize != sizeof(DWORD)) {
                problems_.push_back("count buffer of " + std::to_string(outSize) + " bytes");
                return FALSE;
            }
            if (std::memcmp(out, "\0\0\0\0", 4) != 0) {
                problems_.emplace_back("count not zeroed before the request");
            }
            std::memcpy(out, &a.count, sizeof a.count);
        } else if (code == 2) {
            if (out == nullptr || outSize != a.bytes.size()) {
                problems_.push_back("read buffer of " + std::to_string(outSize) + " bytes for " +
                                    std::to_string(a.bytes.size()));
                return FALSE;
            }
            std::memcpy(out, a.bytes.data(), a.bytes.size());
        }
        return TRUE;
    }

    HANDLE CreateThread(std::function<DWORD()> entry, int /*priority*/) override {
        std::lock_guard lock(mutex_);
        const HANDLE h = nextThread_++;
        threads_[h] = std::thread([entry = std::move(entry)] { entry(); });
        return h;
    }
    DWORD WaitForSingleObject(HANDLE h, DWORD) override {
        std::thread t;
        {
            std::lock_guard lock(mutex_);
            auto it = threads_.find(h);
            if (it == threads_.end()) {
                return platform::WAIT_FAILED;
            }
            t = std::move(it->second);
            threads_.erase(it);
        }
        if (t.joinable()) {
            t.join();
        }
        return platform::WAIT_OBJECT_0;
    }
    BOOL CloseHandle(HANDLE h) override {
        WaitForSingleObject(h, platform::INFINITE);
        return TRUE;
    }
    void DebugOutput(std::string_view text) override {
        std::lock_guard lock(mutex_);
        debug_.emplace_back(text);
    }

  private:
    std::mutex mutex_;
    std::vector<DriverAnswer> script_;
    std::size_t next_ = 0;
    std::atomic<std::int32_t>* stop_ = nullptr;
    std::vector<std::string> problems_;
    std::vector<std::string> debug_;
    std::map<HANDLE, std::thread> threads_;
    HANDLE nextThread_ = 0x100;
};

}  // namespace gps_test
