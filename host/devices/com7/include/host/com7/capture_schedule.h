// A capture as its station broadcasts it, over and over: every captured
// group takes its slot on air, one group time (104 bits at 1187.5 bit/s)
// after the one before, or later where the capture's time stamps show a gap
// (a fade, groups lost to noise); the groups received without error are the
// ones the module's decoder passes on. Times are microseconds from the start
// of the first loop.
//
// A gap of up to kLongestGapMs is kept. A longer jump of the stamps (the
// recorder's clock set, a file glued to another), like a step back, is no
// gap on air: the groups from there on take the air rate again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "host/com7/group_capture.h"
#include "host/com7/rds_group.h"

namespace host::com7 {

inline constexpr std::int64_t kLongestGapMs = 60'000;

// The first forward jump of the stamps beyond kLongestGapMs.
struct StampJump {
    int line = 0;              // the capture's line whose stamp jumps
    std::int64_t aheadMs = 0;  // how far its stamp lies beyond its slot on air
    int more = 0;              // further jumps after it
};

class CaptureSchedule {
  public:
    explicit CaptureSchedule(const std::vector<CapturedGroup>& groups);

    // Groups sent in one loop; 0 when every one of them had an error.
    [[nodiscard]] std::size_t Size() const { return entries_.size(); }
    // One loop on air, the last group's slot included.
    [[nodiscard]] std::uint64_t LoopUs() const { return loopUs_; }
    // When group n, counted on over the loops, is ready (Size() > 0).
    [[nodiscard]] std::uint64_t OffsetUs(std::uint64_t n) const;
    [[nodiscard]] const RdsGroup& Group(std::uint64_t n) const;
    [[nodiscard]] const std::optional<StampJump>& Jump() const { return jump_; }

  private:
    struct Entry {
        std::uint64_t offsetUs = 0;
        RdsGroup group;
    };
    // Group n's entry within the loop.
    [[nodiscard]] std::size_t Slot(std::uint64_t n) const;

    std::vector<Entry> entries_;
    std::uint64_t loopUs_ = 0;
    std::optional<StampJump> jump_;
};

}  // namespace host::com7
