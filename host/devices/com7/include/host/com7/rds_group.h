// One RDS group as the tuner module's decoder passes it on.
#pragma once

#include <cstdint>

namespace host::com7 {

// The four blocks of one RDS group.
struct RdsGroup {
    std::uint16_t a = 0;
    std::uint16_t b = 0;
    std::uint16_t c = 0;
    std::uint16_t d = 0;

    friend bool operator==(const RdsGroup&, const RdsGroup&) = default;
};

}  // namespace host::com7
