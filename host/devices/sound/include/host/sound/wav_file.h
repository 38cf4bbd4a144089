// RIFF/WAVE images and files of 16-bit PCM: what the recording sink writes,
// and what tests hand to the player.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/result.h"

namespace host::sound {

// The canonical 44-byte header followed by the samples (interleaved).
std::vector<std::uint8_t> BuildWaveImage(std::uint32_t sampleRate, std::uint16_t channels,
                                         std::span<const std::int16_t> samples);

// Writes BuildWaveImage(...) to path, or says why it could not.
platform::Result<void> WriteWavFile(const std::string& path, std::uint32_t sampleRate,
                                    std::uint16_t channels, std::span<const std::int16_t> samples);

}  // namespace host::sound
