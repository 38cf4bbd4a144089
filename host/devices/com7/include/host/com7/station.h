// A broadcast station the simulated tuner can receive, and the RDS groups it
// transmits: by default type 0A groups carrying the Programme Service name
// two characters at a time, mixed with 2A (radiotext) and 1A (slow
// labelling) groups, in a fixed cycle; or recorded groups (a capture), or
// groups that come live from the host.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "devices/com7.h"
#include "host/com7/rds_group.h"

namespace host::com7 {

using PsBytes = std::array<std::uint8_t, 8>;

class CaptureSchedule;

// What a station's record says over groups it did not make itself: its PI
// in block A (and in block C of version B groups) and its name in the type 0
// groups.
struct StationIdentity {
    std::optional<std::uint16_t> pi;
    std::optional<PsBytes> ps;

    [[nodiscard]] RdsGroup Apply(RdsGroup group) const;
};

struct Station {
    int frequency = kRdsBaseFrequency;  // 100 kHz units
    int level = 40;                     // signed, as the module reports it
    std::uint16_t pi = 0;               // programme identification; never 0 on air
    PsBytes ps{};                       // single-byte characters, space padded
    // Recorded groups sent instead of the cycle, looping (identity already
    // applied); or, when live, groups handed to the module as they come,
    // with `identity` applied on the way.
    std::shared_ptr<const CaptureSchedule> capture;
    bool live = false;
    StationIdentity identity;
};

// How many groups the cycle holds; position n of the stream is entry
// n % kGroupCycle.
inline constexpr std::size_t kGroupCycle = 8;

// The group a station sends at position n of its stream. Every cycle holds
// the name's segments 0, 1, 2 and 3 in this order.
RdsGroup StationGroup(const Station& station, std::uint64_t n);

// A name from the configuration (UTF-8) as the station sends it: at most 8
// characters, each in the single-byte range U+0020..U+007E or
// U+00A0..U+00FF, padded with spaces. nullopt when it does not fit.
std::optional<PsBytes> EncodePsName(std::string_view utf8);

}  // namespace host::com7
