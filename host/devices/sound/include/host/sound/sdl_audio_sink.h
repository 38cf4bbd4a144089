// The sound card through SDL2 audio: one 48000 Hz 16-bit stereo stream fed
// by a mixer from SDL's audio thread, paused while nothing plays.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "host/sound/mixer.h"
#include "host/sound/sink.h"
#include "platform/result.h"

namespace host::sound {

class SdlAudioSink final : public Sink {
  public:
    static constexpr std::uint32_t kOutputRate = 48000;

    // Opens the default output device of SDL's audio driver (the driver can
    // be chosen with the SDL_AUDIODRIVER hint), or why there is none, e.g.
    // no sound card.
    static platform::Result<std::unique_ptr<SdlAudioSink>> Open();
    ~SdlAudioSink() override;
    SdlAudioSink(const SdlAudioSink&) = delete;
    SdlAudioSink& operator=(const SdlAudioSink&) = delete;

    void Play(std::shared_ptr<const WaveClip> clip, bool loop) override;
    void SetVolume(std::uint32_t volume) override;

    // Blocks until the device has taken at least `frames` frames since it
    // opened (tests that read a disk driver's output). The device runs only
    // from the first Play of a clip until a Play of none.
    void WaitForFrames(std::uint64_t frames);

    struct Device;
    // Only Open makes the device.
    explicit SdlAudioSink(std::unique_ptr<Device> device);

  private:
    static void Callback(void* self, std::uint8_t* stream, int length);

    Mixer mixer_{kOutputRate};
    std::mutex framesMutex_;
    std::condition_variable framesTaken_;
    std::uint64_t frames_ = 0;
    std::unique_ptr<Device> device_;  // last: closed first, stopping the callback
};

}  // namespace host::sound
