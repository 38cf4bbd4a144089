#include "audio/volume_map.h"

namespace {

constexpr int kVolumeStep = 6553;

}  // namespace

std::uint16_t SliderPositionToVolume(int position) {
    if (position <= kVolumeSliderMin) {
        return 0xFFFF;
    }
    if (position >= kVolumeSliderMax) {
        return 0;
    }
    return static_cast<std::uint16_t>((kVolumeSliderMax - position) * kVolumeStep);
}

int VolumeToSliderPosition(std::uint16_t volume) {
    if (volume == 0xFFFF) {
        return kVolumeSliderMin;
    }
    return kVolumeSliderMax - volume / kVolumeStep;
}
