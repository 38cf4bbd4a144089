// The system's wave output volume as the "Audio" page sets and reads it: one
// 16-bit volume applied to both channels of the wave mapper.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/win_types.h"

// Sets both channels to volume. FALSE after telling the user the result code.
platform::BOOL ApplyWaveVolume(std::uint16_t volume);

// The left channel's volume, or nothing after telling the user the result
// code.
std::optional<std::uint16_t> ReadWaveVolume();
