#include "com7/capture_schedule.h"

#include <optional>

#include "com7/tuner_module.h"

namespace com7 {

CaptureSchedule::CaptureSchedule(const std::vector<CapturedGroup>& groups) {
    // A run of slots at the air rate from runStartUs; a time stamp later
    // than the run allows starts a new run there. Stamps are measured from
    // an anchor (the first stamped group, or the last one where the stamps
    // went backwards), so that their rounding does not add up.
    std::uint64_t runStartUs = 0;
    std::uint64_t runCount = 0;
    std::optional<std::int64_t> anchorStampMs;
    std::uint64_t anchorUs = 0;
    std::optional<std::int64_t> lastStampMs;
    for (const CapturedGroup& g : groups) {
        std::uint64_t slotUs = runStartUs + GroupUs(runCount);
        if (g.stampMs) {
            if (!anchorStampMs || (lastStampMs && *g.stampMs < *lastStampMs)) {
                anchorStampMs = g.stampMs;
                anchorUs = slotUs;
            }
            const std::int64_t sinceAnchorMs = *g.stampMs - *anchorStampMs;
            const std::uint64_t stampedUs =
                anchorUs + static_cast<std::uint64_t>(sinceAnchorMs) * 1000;
            if (stampedUs > slotUs) {
                slotUs = stampedUs;
                runStartUs = slotUs;
                runCount = 0;
            }
            lastStampMs = g.stampMs;
        }
        if (g.Clean()) {
            entries_.push_back({slotUs, g.group});
        }
        ++runCount;
    }
    loopUs_ = runStartUs + GroupUs(runCount);
}

std::uint64_t CaptureSchedule::OffsetUs(std::uint64_t n) const {
    return (n / entries_.size()) * loopUs_ + entries_[n % entries_.size()].offsetUs;
}

const RdsGroup& CaptureSchedule::Group(std::uint64_t n) const {
    return entries_[n % entries_.size()].group;
}

}  // namespace com7
