// The sink that keeps what it is given instead of playing it: tests ask what
// plays, and the program can write it to a WAV file for listening.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sound/sink.h"

namespace sound {

class RecordingSink final : public Sink {
  public:
    // The rate WriteWav renders at, the same as the sound card's stream.
    static constexpr std::uint32_t kOutputRate = 48000;

    struct Playback {
        bool playing = false;
        bool looping = false;
        std::uint32_t sampleRate = 0;
        std::uint16_t channels = 0;
        std::vector<std::int16_t> samples;
        std::uint32_t volume = 0xFFFFFFFFU;
        std::uint64_t starts = 0;  // sounds started so far
    };

    void Play(std::shared_ptr<const WaveClip> clip, bool loop) override;
    void SetVolume(std::uint32_t volume) override;

    [[nodiscard]] Playback Current() const;

    // Renders `seconds` of the last sound started (looped or once, as it was
    // started; silence after a sound played once) at the current volume, as
    // 48000 Hz 16-bit stereo, through the same mixer as the sound card. The
    // last sound is kept after a stop, so a run's sound can be written at
    // its end. Nothing started: silence. seconds beyond an hour are refused.
    bool WriteWav(const std::string& path, double seconds, std::string* error) const;

  private:
    mutable std::mutex mutex_;
    std::shared_ptr<const WaveClip> last_;
    bool playing_ = false;
    bool looping_ = false;
    std::uint32_t volume_ = 0xFFFFFFFFU;
    std::uint64_t starts_ = 0;
};

}  // namespace sound
