// "COM7:": the serial line to the FM tuner module and its RDS decoder, and
// the module's frames on that line.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win_types.h"

inline constexpr const char* kRdsPortName = "COM7:";

// The module speaks 38400 baud, 8 data bits, no parity, one stop bit only.
inline constexpr platform::DWORD kRdsBaudRate = platform::CBR_38400;
inline constexpr platform::BYTE kRdsByteSize = 8;
inline constexpr platform::BYTE kRdsParity = platform::NOPARITY;
inline constexpr platform::BYTE kRdsStopBits = platform::ONESTOPBIT;

// The band in 100 kHz units (87.5 to 108.0 MHz); channel c is
// kRdsBaseFrequency + c.
inline constexpr int kRdsBaseFrequency = 875;
inline constexpr int kRdsTopFrequency = 1080;

// Command frames, to the module: FF, command code, two parameters, the code
// again. No length, no checksum.
inline constexpr std::size_t kRdsCommandFrameSize = 5;
inline constexpr std::uint8_t kRdsCommandStart = 0xFF;
inline constexpr std::uint8_t kRdsCodeTune = 0x73;      // 's': channel
inline constexpr std::uint8_t kRdsCodeSeekUp = 0x59;    // 'Y'
inline constexpr std::uint8_t kRdsCodeSeekDown = 0x58;  // 'X'
inline constexpr std::uint8_t kRdsCodeLevel = 0x6C;     // 'l'
inline constexpr std::uint8_t kRdsCodeVersion = 0x56;   // 'V'
inline constexpr std::uint8_t kRdsCodeMute = 0x6D;      // 'm': 0 mutes, 1 unmutes

// Module frames, from the module: 3F, words A B C D high byte first, 3F.
// Word A zero marks a reply to a command (offset 3 its code, offsets 4 to 6
// its data); anything else is a received RDS group (A = PI).
inline constexpr std::size_t kRdsFrameSize = 10;
inline constexpr std::uint8_t kRdsFrameMarker = 0x3F;

// A reply carries the code of the command it answers; a seek's is its own.
inline constexpr std::uint8_t kRdsReplyVersion = kRdsCodeVersion;
inline constexpr std::uint8_t kRdsReplyLevel = kRdsCodeLevel;
inline constexpr std::uint8_t kRdsReplyTune = kRdsCodeTune;
inline constexpr std::uint8_t kRdsReplySeek = 0x66;  // 'f'

// Flag values in the reply data.
inline constexpr std::uint8_t kRdsFlagSet = 0x01;
inline constexpr std::uint8_t kRdsTunedMark = 0x55;  // 'U'
