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
    return now_.load();
}
std::uint64_t VirtualClock::Now() const {
    return now_.load();
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
