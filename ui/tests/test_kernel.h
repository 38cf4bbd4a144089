// A kernel for the framework's tests: real threads (CreateThread can be made
// to fail), debug output kept in memory, everything else unsupported.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/last_error.h"
#include "test_support/unsupported_kernel.h"

namespace ui::test {

class TestKernel : public test_support::UnsupportedKernel {
  public:
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

  private:
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
