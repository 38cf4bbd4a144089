// Moving a virtual unit's clock the way a script's "wait" does: every
// deadline on the way is reached in turn and every thread of the unit has
// settled before the clock moves on. For tests and benchmarks that drive
// GPS1: without the script runner.
#pragma once

#include <chrono>
#include <cstdint>

namespace host::unit {
class VirtualUnit;
}

namespace host::gps1 {

// Advances to targetMs (never backwards). False when the unit is not on
// virtual time or did not settle within realTimeout at some step.
bool RunUnitUntil(unit::VirtualUnit& unit, std::uint64_t targetMs,
                  std::chrono::milliseconds realTimeout = std::chrono::seconds(10));

}  // namespace host::gps1
