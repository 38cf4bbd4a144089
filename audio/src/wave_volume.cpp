#include "audio/wave_volume.h"

#include "audio/volume_map.h"
#include "platform/api.h"
#include "ui/message_box.h"

platform::BOOL ApplyWaveVolume(std::uint16_t volume) {
    const platform::MMRESULT result =
        platform::waveOutSetVolume(platform::WAVE_MAPPER, BothChannels(volume));
    if (result != platform::MMSYSERR_NOERROR) {
        ui::AfxMessageBox(platform::Format("waveOutSetVolume(WAVE_MAPPER) returned %d.",
                                           static_cast<int>(result)),
                          ui::MB_ICONQUESTION);
        return platform::FALSE;
    }
    return platform::TRUE;
}

std::optional<std::uint16_t> ReadWaveVolume() {
    platform::DWORD volume = 0;
    const platform::MMRESULT result = platform::waveOutGetVolume(platform::WAVE_MAPPER, &volume);
    if (result != platform::MMSYSERR_NOERROR) {
        ui::AfxMessageBox(platform::Format("waveOutGetVolume(WAVE_MAPPER) returned %d.",
                                           static_cast<int>(result)),
                          ui::MB_ICONQUESTION);
        return std::nullopt;
    }
    return LeftChannel(volume);
}
