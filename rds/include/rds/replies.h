// What the module's replies mean, and the raw text of a frame's four words.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "rds/module_frame.h"

// Offsets 4, 5 and 6 as sent. The tool shows them as signed 8-bit numbers,
// the module check as unsigned ones.
struct RdsVersionReply {
    std::uint8_t first = 0;
    std::uint8_t second = 0;
    std::uint8_t third = 0;
};

struct RdsTuneReply {
    bool strength = false;  // offset 5 == 0x01
    bool tuned = false;     // offset 6 == 0x55
};

struct RdsSeekReply {
    bool found = false;  // offset 5 == 0x01
    int frequency = 0;   // the band's base + offset 4 (unsigned); meaningful when found
    bool tuned = false;  // offset 6 == 0x55
};

// Each gives a value only for a reply frame with its code.
std::optional<RdsVersionReply> DecodeVersionReply(const RdsFrame& frame);
// The signal level at offset 6, a signed 8-bit number.
std::optional<int> DecodeLevelReply(const RdsFrame& frame);
std::optional<RdsTuneReply> DecodeTuneReply(const RdsFrame& frame);
std::optional<RdsSeekReply> DecodeSeekReply(const RdsFrame& frame);

// A byte read as a signed 8-bit number (0xFF is -1).
constexpr int SignedByte(std::uint8_t value) {
    return static_cast<std::int8_t>(value);
}

// "0x%02X%02X" of offsets 1-2, 3-4, 5-6 and 7-8: words A to D in upper-case
// hexadecimal.
using RdsRawWords = std::array<std::string, 4>;
RdsRawWords FormatRawWords(const RdsFrame& frame);
