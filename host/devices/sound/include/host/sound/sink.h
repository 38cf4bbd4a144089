// Where the wave output's sound goes: the sound card or a recorder.
#pragma once

#include <cstdint>
#include <memory>

#include "host/sound/wave_clip.h"

namespace host::sound {

class Sink {
  public:
    virtual ~Sink() = default;
    // Starts clip from its beginning in place of what played; null stops.
    virtual void Play(std::shared_ptr<const WaveClip> clip, bool loop) = 0;
    // Left channel in the low word, right in the high word.
    virtual void SetVolume(std::uint32_t volume) = 0;
};

}  // namespace host::sound
