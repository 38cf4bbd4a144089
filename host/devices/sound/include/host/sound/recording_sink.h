// The sink that keeps what it is given instead of playing it: tests ask what
// plays, and the program writes what played to a WAV file for listening.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "host/sound/sink.h"
#include "platform/result.h"

namespace host::sound {

class RecordingSink final : public Sink {
  public:
    // The rate the WAV files are rendered at, the same as the sound card's
    // stream.
    static constexpr std::uint32_t kOutputRate = 48000;
    // WriteSession keeps at most the last this many seconds by default.
    static constexpr std::uint64_t kSessionSeconds = 300;

    // A millisecond clock that places each call in time.
    using Clock = std::function<std::uint64_t()>;

    // clock null: the host's steady clock.
    explicit RecordingSink(Clock clock = nullptr, std::uint64_t sessionSeconds = kSessionSeconds);

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
    // last sound is kept after a stop. Nothing started: silence. More than an
    // hour is refused.
    [[nodiscard]] platform::Result<void> WriteWav(const std::string& path, double seconds) const;

    // Renders the session as it was heard: from the first sound started to
    // the last stop (or now, while a sound plays), every start, stop and
    // volume change at its time on the clock. Longer sessions keep their
    // last sessionSeconds. Nothing started: an empty WAV file.
    [[nodiscard]] platform::Result<void> WriteSession(const std::string& path) const;

  private:
    struct Event {
        std::uint64_t ms = 0;
        enum class Kind { Start, Stop, Volume } kind = Kind::Stop;
        std::shared_ptr<const WaveClip> clip;  // Start
        bool loop = false;                     // Start
        std::uint32_t volume = 0;              // Volume
    };
    void Record(Event event);  // mutex_ held
    void Prune();              // mutex_ held

    Clock clock_;
    const std::uint64_t sessionMs_;
    mutable std::mutex mutex_;
    std::shared_ptr<const WaveClip> last_;
    bool playing_ = false;
    bool looping_ = false;
    std::uint32_t volume_ = 0xFFFFFFFFU;
    std::uint64_t starts_ = 0;
    std::vector<Event> events_;
    std::uint64_t lastSoundMs_ = 0;
    std::size_t pruneAt_ = 64;
};

}  // namespace host::sound
