// The wave output and its volume.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

namespace platform {

// PlaySound flags.
inline constexpr DWORD SND_SYNC = 0x0000;
inline constexpr DWORD SND_ASYNC = 0x0001;
inline constexpr DWORD SND_NODEFAULT = 0x0002;
inline constexpr DWORD SND_MEMORY = 0x0004;
inline constexpr DWORD SND_LOOP = 0x0008;
inline constexpr DWORD WAVE_MAPPER = 0xFFFFFFFFU;
inline constexpr MMRESULT MMSYSERR_NOERROR = 0;
inline constexpr MMRESULT MMSYSERR_ERROR = 1;
inline constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
inline constexpr MMRESULT MMSYSERR_NOTSUPPORTED = 8;

// The wave output: plays in-memory RIFF/WAVE images.
class Sound {
  public:
    virtual ~Sound() = default;
    // image null stops whatever plays. With SND_MEMORY the image is a
    // RIFF/WAVE block whose size is taken from its header; the player reads
    // it while it plays.
    virtual BOOL PlaySound(const void* image, DWORD flags) = 0;
    virtual MMRESULT waveOutSetVolume(DWORD device, DWORD volume) = 0;
    virtual MMRESULT waveOutGetVolume(DWORD device, DWORD* volume) = 0;
};

}  // namespace platform
