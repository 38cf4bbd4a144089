// A sound as the player keeps it: PCM samples copied out of a RIFF/WAVE
// image, so the caller's buffer may change as soon as PlaySound returns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/result.h"

namespace host::sound {

struct WaveClip {
    std::uint32_t sampleRate = 0;
    std::uint16_t channels = 0;         // 1 or 2
    std::vector<std::int16_t> samples;  // interleaved when stereo

    [[nodiscard]] std::size_t Frames() const {
        return channels == 0 ? 0 : samples.size() / channels;
    }
};

// The largest image the player takes: far above the biggest wave the console
// builds (576044 bytes), far below anything that could hurt the host.
inline constexpr std::uint32_t kMaxWaveImageBytes = 64U * 1024U * 1024U;

// The whole size of the image starting at header (8 + the RIFF chunk size),
// read from its first 8 bytes; nothing when the header is not RIFF or the
// size is out of bounds.
std::optional<std::size_t> WaveImageSize(std::span<const std::uint8_t, 8> header);

// Parses a complete image: "RIFF" size "WAVE", a "fmt " chunk with 16-bit PCM,
// mono or stereo, then a "data" chunk, every size consistent with the image.
// Other chunks are skipped. Why not, for a malformed image.
platform::Result<WaveClip> ParseWaveImage(std::span<const std::uint8_t> image);

// The frequency of the first channel in Hz, from its rising zero crossings:
// of a looped clip, all of them over its length (its end runs into its
// start); of another, those from the first to the last (interpolated
// between samples), 0 when it crosses fewer than twice.
double CrossingFrequency(const WaveClip& clip, bool loop);

}  // namespace host::sound
