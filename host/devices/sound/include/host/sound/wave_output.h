// The unit's wave output as the system sees it (PlaySound and the wave
// output volume), playing on the sound card when there is one and always
// recording what it was given, for tests and for --audio-out.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "host/sound/recording_sink.h"
#include "host/sound/sdl_audio_sink.h"
#include "platform/services.h"
#include "platform/traffic.h"

namespace host::sound {

class WaveOutput final : public platform::Sound {
  public:
    struct Options {
        // Play on the sound card through SDL; without a device the output
        // only records (the reason is kept in SoundCardProblem()).
        bool soundCard = true;
        // The unit's wave output volume when the unit starts.
        platform::DWORD volume = 0xFFFFFFFFU;
        // Places the recorded calls in time (the unit's clock); null: the
        // host's steady clock.
        RecordingSink::Clock clock = nullptr;
        // Where the sounds started and stopped and the volume set are
        // reported (the unit's traffic); null: nowhere.
        platform::Traffic* traffic = nullptr;
    };

    explicit WaveOutput(const Options& options);
    WaveOutput() : WaveOutput(Options{}) {}
    ~WaveOutput() override;
    WaveOutput(const WaveOutput&) = delete;
    WaveOutput& operator=(const WaveOutput&) = delete;

    // With SND_MEMORY, image is a RIFF/WAVE image of 16-bit PCM, mono or
    // stereo; its samples are copied, so the caller may rewrite the buffer
    // at once. SND_LOOP repeats it (only with SND_ASYNC). A call replaces
    // whatever plays; a refused image leaves nothing playing. image null
    // stops. Sounds by name are not available on the unit. Every call
    // returns at once: synchronous playing is not needed by the system.
    platform::BOOL PlaySound(const void* image, platform::DWORD flags) override;
    // Only WAVE_MAPPER; the left channel in the low word, right in the high.
    platform::MMRESULT waveOutSetVolume(platform::DWORD device, platform::DWORD volume) override;
    platform::MMRESULT waveOutGetVolume(platform::DWORD device, platform::DWORD* volume) override;

    // Starts playing on the sound card (what plays now included) when it is
    // not already; false with the reason kept in SoundCardProblem().
    bool OpenSoundCard();
    // Whether a sound card plays, and why not.
    [[nodiscard]] bool Audible() const;
    [[nodiscard]] std::string SoundCardProblem() const;
    [[nodiscard]] RecordingSink& Recorder() { return recorder_; }
    [[nodiscard]] const RecordingSink& Recorder() const { return recorder_; }

    // The volume as unit state, for whoever keeps the unit between runs;
    // these are not subject to injected faults.
    [[nodiscard]] platform::DWORD Volume() const { return volume_.load(); }
    void RestoreVolume(platform::DWORD volume);

    // Fault injection, code 0 to work again: PlaySound returns FALSE with
    // the code as last error (and nothing plays); waveOutSetVolume and
    // waveOutGetVolume return the code and change nothing.
    void FailPlaySound(platform::DWORD code) { failPlay_.store(code); }
    void FailSetVolume(platform::MMRESULT code) { failSetVolume_.store(code); }
    void FailGetVolume(platform::MMRESULT code) { failGetVolume_.store(code); }

  private:
    void Send(std::shared_ptr<const WaveClip> clip, bool loop);           // mutex_ held
    void ApplyVolume(platform::DWORD volume);                             // mutex_ held
    void Report(const std::shared_ptr<const WaveClip>& clip, bool loop);  // mutex_ held
    [[nodiscard]] std::uint64_t NowMs() const;

    RecordingSink::Clock clock_;
    platform::Traffic* traffic_;
    std::uint64_t currentStartMs_ = 0;

    mutable std::mutex mutex_;  // keeps both sinks in the same order of calls
    RecordingSink recorder_;
    std::unique_ptr<SdlAudioSink> card_;
    std::string cardProblem_;
    std::shared_ptr<const WaveClip> current_;  // what plays, for a card opened later
    bool currentLoop_ = false;
    std::atomic<platform::DWORD> volume_;
    std::atomic<platform::DWORD> failPlay_{0};
    std::atomic<platform::MMRESULT> failSetVolume_{0};
    std::atomic<platform::MMRESULT> failGetVolume_{0};
};

}  // namespace host::sound
