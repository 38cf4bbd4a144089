// The frames the tuner module sends, decoded (their layout:
// devices/com7.h). A received RDS group's word B carries the group type.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "devices/com7.h"

enum class RdsFrameKind {
    NotAFrame,
    Reply,
    RdsGroup,
};

struct RdsFrame {
    RdsFrameKind kind = RdsFrameKind::NotAFrame;
    // Offset 3 of a reply; 0 for anything else.
    std::uint8_t replyCode = 0;
    // The bytes at frame offsets 1..8 as received (all zero when not a frame).
    std::array<std::uint8_t, 8> bytes{};

    // The byte at frame offset 1..8; 0 for any other offset.
    [[nodiscard]] constexpr std::uint8_t At(std::size_t offset) const {
        return offset >= 1 && offset <= bytes.size() ? bytes[offset - 1] : std::uint8_t{0};
    }

    friend bool operator==(const RdsFrame&, const RdsFrame&) = default;
};

// A chunk is a frame when it holds at least 10 bytes with 0x3F at offsets 0
// and 9; only its first 10 bytes are looked at. Null or short input gives
// NotAFrame.
RdsFrame DecodeRdsFrame(const std::uint8_t* bytes, std::size_t length);
