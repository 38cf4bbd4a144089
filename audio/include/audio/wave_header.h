// The 44-byte RIFF/WAVE header (PCM, mono, 16-bit) in front of every wave the
// tone generator builds. All numbers are written little-endian whatever the
// host's byte order, since the image goes to the sound player as bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

inline constexpr std::size_t kWaveHeaderSize = 44;
inline constexpr std::size_t kBytesPerSample = 2;

void WriteWaveHeader(std::span<std::uint8_t, kWaveHeaderSize> out, std::uint32_t sampleRate,
                     std::uint32_t sampleCount);

// Little-endian stores shared by the header and the sample writers.
inline void StoreLe16(std::uint8_t* out, std::uint16_t value) {
    out[0] = static_cast<std::uint8_t>(value & 0xFFU);
    out[1] = static_cast<std::uint8_t>(value >> 8);
}

inline void StoreLe32(std::uint8_t* out, std::uint32_t value) {
    StoreLe16(out, static_cast<std::uint16_t>(value & 0xFFFFU));
    StoreLe16(out + 2, static_cast<std::uint16_t>(value >> 16));
}
