// A recorded receiver log cut into the receiver's output cycles, so that a
// replay can send one cycle per period as the receiver did.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host::gps1 {

struct NmeaTrack {
    // Each cycle's sentences, each ending in "\r\n" whatever the log used.
    std::vector<std::string> cycles;
};

// Keeps the lines that start with '$'. A cycle is the run of sentences that
// carry one UTC time (GGA, RMC, GLL, ZDA, GNS of any talker) with the
// untimed ones (GSA, GSV, proprietary) that follow them. A log without any
// time starts a cycle at each repetition of its first sentence's tag.
// nullopt when the text holds no sentence.
std::optional<NmeaTrack> ParseTrack(std::string_view text);

}  // namespace host::gps1
