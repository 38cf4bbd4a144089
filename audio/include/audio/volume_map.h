// The "Volume" slider against the wave output volume. The slider runs from 0
// (top, "Max") to 10 (bottom, "Min"); the volume is one channel's 16-bit word.
#pragma once

#include <cstdint>

inline constexpr int kVolumeSliderMin = 0;
inline constexpr int kVolumeSliderMax = 10;
// The volume the console sets at start and on every visit to the page, and
// the slider position that shows it.
inline constexpr std::uint16_t kStartVolume = 0x9999;
inline constexpr int kStartSliderPosition = 4;

// 0 gives 0xFFFF; p from 1 to 10 gives (10 - p) * 6553. Positions outside the
// slider's range are taken as its nearest end.
std::uint16_t SliderPositionToVolume(int position);

// 0xFFFF gives 0, any other volume 10 - v / 6553; always within 0 to 10.
int VolumeToSliderPosition(std::uint16_t volume);

// The waveOutSetVolume word: left channel in the low word, right in the high.
inline std::uint32_t BothChannels(std::uint16_t volume) {
    return std::uint32_t{volume} * 0x10001U;
}

// The left channel of a waveOutGetVolume word.
inline std::uint16_t LeftChannel(std::uint32_t volume) {
    return static_cast<std::uint16_t>(volume & 0xFFFFU);
}
