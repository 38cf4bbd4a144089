// The 5-byte command frames the console sends to the tuner module:
// FF, command code, two parameters, the code again. No length, no checksum.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

enum class RdsCommand : int {
    Tune = 1,
    Seek = 2,
    ShowLevel = 3,
    ShowVersion = 4,
    MuteOn = 5,
    MuteOff = 6,
};

inline constexpr std::size_t kRdsCommandFrameSize = 5;
using RdsCommandFrame = std::array<std::uint8_t, kRdsCommandFrameSize>;

inline constexpr std::uint8_t kRdsCommandStart = 0xFF;

// Command codes at offsets 1 and 4.
inline constexpr std::uint8_t kRdsCodeTune = 0x73;      // 's'
inline constexpr std::uint8_t kRdsCodeSeekUp = 0x59;    // 'Y'
inline constexpr std::uint8_t kRdsCodeSeekDown = 0x58;  // 'X'
inline constexpr std::uint8_t kRdsCodeLevel = 0x6C;     // 'l'
inline constexpr std::uint8_t kRdsCodeVersion = 0x56;   // 'V'
inline constexpr std::uint8_t kRdsCodeMute = 0x6D;      // 'm'

// The lowest frequency of the band in 100 kHz units (87.5 MHz): channel 0.
inline constexpr int kRdsBaseFrequency = 875;

// The module check's version query. Its parameters differ from ShowVersion's;
// the module answers both with the same 'V' reply.
inline constexpr RdsCommandFrame kRdsVersionQuery = {0xFF, 0x56, 0x78, 0x78, 0x56};

// The frame for `command`. Frequencies are in 100 kHz units; every parameter
// is passed on in its low 8 bits, so out-of-range values are not rejected
// here. A command outside Tune..MuteOff gives five zero bytes, which callers
// never send (the start byte is zero).
RdsCommandFrame BuildRdsCommandFrame(RdsCommand command, int frequency, int tuneParameter,
                                     int seekParameter, bool seekUp);
