#include "platform/traffic.h"

#include <algorithm>
#include <utility>

namespace platform {

Traffic::Traffic(Clock clock) : clock_(std::move(clock)) {}

void Traffic::Keep() {
    const std::lock_guard lock(mutex_);
    keep_ = true;
    on_.store(true);
}

void Traffic::Listen(Listener listener) {
    const std::lock_guard lock(mutex_);
    listeners_.push_back(std::move(listener));
    on_.store(true);
}

void Traffic::Record(TrafficEvent event) {
    if (!On()) {
        return;
    }
    // Stamped under the lock, so that numbers and times go up together.
    const std::lock_guard lock(mutex_);
    if (clock_) {
        event.atMs = clock_();
    }
    for (const Listener& listener : listeners_) {
        listener(event);
    }
    if (!keep_) {
        return;
    }
    events_.push_back(std::move(event));
    if (events_.size() > kMaxEvents) {
        events_.pop_front();
        ++first_;
    }
}

std::uint64_t Traffic::End() const {
    const std::lock_guard lock(mutex_);
    return first_ + events_.size();
}

std::vector<TrafficEvent> Traffic::Since(std::uint64_t from, std::uint64_t* end) const {
    const std::lock_guard lock(mutex_);
    const std::uint64_t last = first_ + events_.size();
    if (end != nullptr) {
        *end = last;
    }
    from = std::clamp(from, first_, last);
    return {events_.begin() + static_cast<std::ptrdiff_t>(from - first_), events_.end()};
}

TrafficEvent TrafficOf(std::string device, TrafficKind kind) {
    TrafficEvent event;
    event.device = std::move(device);
    event.kind = kind;
    return event;
}

std::vector<std::uint8_t> TrafficBytes(const void* data, std::size_t size) {
    if (data == nullptr) {
        return {};
    }
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return {bytes, bytes + std::min(size, kTrafficBufferBytes)};
}

}  // namespace platform
