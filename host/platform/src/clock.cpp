#include "host/unit/clock.h"

#include "host/unit/scheduler.h"

namespace host::unit {

std::uint64_t RealClock::NowMs() {
    const auto elapsed = std::chrono::steady_clock::now() - start_;
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

VirtualClock::VirtualClock(Scheduler& scheduler, std::uint64_t startMs)
    : scheduler_(scheduler), now_(startMs) {}

std::uint64_t VirtualClock::NowMs() {
    return Now();
}
std::uint64_t VirtualClock::Now() const {
    if (!Running()) {
        return now_.load();
    }
    const auto elapsed = std::chrono::steady_clock::now() - since_;
    return now_.load() +
           static_cast<std::uint64_t>(
               std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void VirtualClock::StartRunning() {
    since_ = std::chrono::steady_clock::now();
    running_.store(true, std::memory_order_release);
}

void VirtualClock::Advance(std::uint64_t toMs) {
    scheduler_.AdvanceTo(toMs);
}

bool VirtualClock::SleepUntil(std::uint64_t deadlineMs, const std::stop_token& stop) {
    return scheduler_.SleepUntil(deadlineMs, stop);
}

std::optional<std::uint64_t> VirtualClock::NextSleeperDeadline() const {
    return scheduler_.NextDeadline();
}

}  // namespace host::unit
