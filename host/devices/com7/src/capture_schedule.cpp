#include "host/com7/capture_schedule.h"

#include "host/com7/tuner_module.h"

namespace host::com7 {

CaptureSchedule::CaptureSchedule(const std::vector<CapturedGroup>& groups) {
    // A run of slots at the air rate from runStartUs; a time stamp later
    // than the run allows starts a new run there. Stamps are measured from
    // an anchor (the first stamped group, or the last one where the stamps
    // went backwards or jumped), so that their rounding does not add up.
    // Stamps hold four-digit years, so their differences in milliseconds fit
    // easily; the jump bound keeps every offset within a minute a group.
    std::uint64_t runStartUs = 0;
    std::uint64_t runCount = 0;
    std::optional<std::int64_t> anchorStampMs;
    std::uint64_t anchorUs = 0;
    std::optional<std::int64_t> lastStampMs;
    for (const CapturedGroup& g : groups) {
        std::uint64_t slotUs = runStartUs + GroupUs(runCount);
        if (g.stampMs) {
            if (anchorStampMs && *g.stampMs >= *lastStampMs) {
                const std::int64_t sinceAnchorMs = *g.stampMs - *anchorStampMs;
                const auto slotMs = static_cast<std::int64_t>((slotUs - anchorUs) / 1000);
                if (const std::int64_t aheadMs = sinceAnchorMs - slotMs; aheadMs > kLongestGapMs) {
                    if (jump_) {
                        ++jump_->more;
                    } else {
                        jump_ = StampJump{g.line, aheadMs, 0};
                    }
                    anchorStampMs.reset();
                } else if (const std::uint64_t stampedUs =
                               anchorUs + static_cast<std::uint64_t>(sinceAnchorMs) * 1000;
                           stampedUs > slotUs) {
                    slotUs = stampedUs;
                    runStartUs = slotUs;
                    runCount = 0;
                }
            } else {
                anchorStampMs.reset();
            }
            if (!anchorStampMs) {
                anchorStampMs = g.stampMs;
                anchorUs = slotUs;
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
    return (n / entries_.size()) * loopUs_ + entries_[Slot(n)].offsetUs;
}

const RdsGroup& CaptureSchedule::Group(std::uint64_t n) const {
    return entries_[Slot(n)].group;
}

std::size_t CaptureSchedule::Slot(std::uint64_t n) const {
    // Below the entry count, so it fits a 32-bit size_t.
    return static_cast<std::size_t>(n % entries_.size());
}

}  // namespace host::com7
