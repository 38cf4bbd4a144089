#include "program/interrupt.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <system_error>
#include <utility>

#include "interrupt_end.h"

namespace program {

namespace {

struct Registry {
    std::mutex mutex;
    std::map<std::uint64_t, std::function<void()>> actions;
    std::uint64_t next = 1;
    std::function<void()> stop;
    bool interrupted = false;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

}  // namespace

OnInterrupt::OnInterrupt(std::function<void()> action) {
    Registry& r = TheRegistry();
    const std::lock_guard lock(r.mutex);
    id_ = r.next++;
    r.actions.emplace(id_, std::move(action));
}

OnInterrupt::OnInterrupt(OnInterrupt&& other) noexcept : id_(std::exchange(other.id_, 0)) {}

OnInterrupt& OnInterrupt::operator=(OnInterrupt&& other) noexcept {
    if (this != &other) {
        OnInterrupt gone(std::move(*this));
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

OnInterrupt::~OnInterrupt() {
    if (id_ != 0) {
        Registry& r = TheRegistry();
        const std::lock_guard lock(r.mutex);
        r.actions.erase(id_);
    }
}

OnInterrupt RemoveOnInterrupt(std::filesystem::path folder) {
    return OnInterrupt([folder = std::move(folder)] {
        // The run goes on meanwhile and may have written another file.
        constexpr int kTries = 5;
        std::error_code ec;
        for (int i = 0; i < kTries; ++i) {
            std::filesystem::remove_all(folder, ec);
            if (!ec) {
                break;
            }
        }
    });
}

StopOnInterrupt::StopOnInterrupt(std::function<void()> stop) {
    Registry& r = TheRegistry();
    const std::lock_guard lock(r.mutex);
    r.stop = std::move(stop);
}

StopOnInterrupt::~StopOnInterrupt() {
    Registry& r = TheRegistry();
    const std::lock_guard lock(r.mutex);
    r.stop = nullptr;
}

bool UnlessInterrupted(const std::function<void()>& put) {
    Registry& r = TheRegistry();
    const std::lock_guard lock(r.mutex);
    if (r.interrupted) {
        return false;
    }
    put();
    return true;
}

void EndProgram(int status) {
    detail::TakeInterruptActions();
    std::_Exit(status);
}

namespace detail {

bool AskToStop() {
    Registry& r = TheRegistry();
    std::function<void()> stop;
    {
        const std::lock_guard lock(r.mutex);
        stop = r.stop;
    }
    if (!stop) {
        return false;
    }
    stop();
    return true;
}

void TakeInterruptActions() {
    Registry& r = TheRegistry();
    // Held until the program has ended: nothing is registered, nothing put
    // in place any more.
    r.mutex.lock();
    r.interrupted = true;
    std::for_each(r.actions.rbegin(), r.actions.rend(), [](auto& action) { action.second(); });
    static_cast<void>(std::fflush(nullptr));
}

}  // namespace detail

}  // namespace program
