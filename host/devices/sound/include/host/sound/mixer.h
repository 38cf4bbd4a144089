// Turns the sound that plays into the output stream: 16-bit stereo at the
// output rate, resampled linearly from the clip's rate, looped or played
// once, each channel scaled by its volume word. Thread-safe: the audio
// callback renders while the player changes the sound.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

#include "host/sound/wave_clip.h"

namespace host::sound {

class Mixer {
  public:
    explicit Mixer(std::uint32_t outputRate);

    [[nodiscard]] std::uint32_t OutputRate() const { return outputRate_; }

    // Starts clip from its beginning in place of whatever played; null stops.
    void Play(std::shared_ptr<const WaveClip> clip, bool loop);
    void Stop() { Play(nullptr, false); }
    // The wave output volume: left channel in the low word, right in the high.
    void SetVolume(std::uint32_t volume);
    [[nodiscard]] bool Playing() const;

    // Fills out.size() / 2 stereo frames; silence once nothing plays.
    void Render(std::span<std::int16_t> out);
    // Moves on by frames as Render would, without producing them.
    void Skip(std::uint64_t frames);

  private:
    const std::uint32_t outputRate_;
    mutable std::mutex mutex_;
    std::shared_ptr<const WaveClip> clip_;
    bool loop_ = false;
    std::uint64_t position_ = 0;  // in clip frames, 32.32 fixed point
    std::uint64_t step_ = 0;
    std::uint32_t left_ = 0xFFFF;
    std::uint32_t right_ = 0xFFFF;
};

}  // namespace host::sound
