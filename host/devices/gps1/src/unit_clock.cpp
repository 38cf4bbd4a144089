#include "host/gps1/unit_clock.h"

#include "host/unit/scheduler.h"
#include "host/unit/virtual_unit.h"

namespace host::gps1 {

bool RunUnitUntil(unit::VirtualUnit& unit, std::uint64_t targetMs,
                  std::chrono::milliseconds realTimeout) {
    unit::Scheduler& s = unit.scheduler();
    if (!s.IsVirtual()) {
        return false;
    }
    for (;;) {
        if (!s.WaitQuiescent(realTimeout)) {
            return false;
        }
        const auto next = s.NextDeadline();
        if (!next.has_value() || *next >= targetMs || *next <= s.NowMs()) {
            if (s.NowMs() < targetMs) {
                s.AdvanceTo(targetMs);
            }
            return s.WaitQuiescent(realTimeout);
        }
        s.AdvanceTo(*next);
    }
}

}  // namespace host::gps1
