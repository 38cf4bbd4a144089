// Builds the 8-character Programme Service name from the address segments
// 0, 1, 2, 3 of type 0 groups (0A and 0B), taken in this order though not
// necessarily from consecutive groups.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "rds/module_frame.h"

// The finished name as sent: single-byte characters, to be read up to the
// first zero byte and widened through the code page by whoever shows it.
using RdsPsName = std::array<std::uint8_t, 8>;

class PsNameAssembler {
  public:
    // Takes an RDS group. A group of another type, a segment other than the
    // expected one, a reply or a non-frame leave the state as it is. Gives
    // the name when segment 3 completes it, and starts over.
    std::optional<RdsPsName> Feed(const RdsFrame& frame);

    // The segment expected next, 0..3.
    [[nodiscard]] std::uint16_t NextSegment() const { return m_nNextSegment; }

  private:
    // Positions 0..7 take the name, 8..15 stay zero as its terminator.
    std::array<std::uint8_t, 16> m_name{};
    std::uint16_t m_nNextSegment = 0;
};
