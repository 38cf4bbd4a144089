#include "host/sound/sdl_audio_sink.h"

#include <SDL.h>

#include <span>

#include "alsa_messages.h"

namespace host::sound {

struct SdlAudioSink::Device {
    bool subsystem = false;
    SDL_AudioDeviceID id = 0;

    Device() = default;
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;
    ~Device() {
        if (id != 0) {
            SDL_CloseAudioDevice(id);  // waits for a running callback
        }
        if (subsystem) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        }
    }
};

platform::Result<std::unique_ptr<SdlAudioSink>> SdlAudioSink::Open() {
    auto device = std::make_unique<Device>();
    // Without a sound card ALSA would print its own errors, and a busy or
    // misnamed device would too; SDL_GetError says why in one line.
    detail::SilenceAlsaMessages();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return platform::Fail(std::string("SDL audio: ") + SDL_GetError());
    }
    device->subsystem = true;
    auto sink = std::make_unique<SdlAudioSink>(std::move(device));

    SDL_AudioSpec want{};
    want.freq = static_cast<int>(kOutputRate);
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = &SdlAudioSink::Callback;
    want.userdata = sink.get();
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to whatever the card wants.
    const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (id == 0) {
        return platform::Fail(std::string("SDL_OpenAudioDevice: ") + SDL_GetError());
    }
    sink->device_->id = id;
    // Paused until something plays: an idle console costs no audio thread wake-ups.
    return sink;
}

SdlAudioSink::SdlAudioSink(std::unique_ptr<Device> device) : device_(std::move(device)) {}

SdlAudioSink::~SdlAudioSink() {
    device_.reset();
}

void SdlAudioSink::Play(std::shared_ptr<const WaveClip> clip, bool loop) {
    const bool sound = clip != nullptr;
    mixer_.Play(std::move(clip), loop);
    SDL_PauseAudioDevice(device_->id, sound ? 0 : 1);
}

void SdlAudioSink::SetVolume(std::uint32_t volume) {
    mixer_.SetVolume(volume);
}

void SdlAudioSink::Callback(void* self, std::uint8_t* stream, int length) {
    auto* sink = static_cast<SdlAudioSink*>(self);
    const auto samples = static_cast<std::size_t>(length) / sizeof(std::int16_t);
    // SDL hands a buffer aligned for its sample format.
    sink->mixer_.Render(
        std::span<std::int16_t>(static_cast<std::int16_t*>(static_cast<void*>(stream)), samples));
    {
        const std::lock_guard lock(sink->framesMutex_);
        sink->frames_ += samples / 2;
    }
    sink->framesTaken_.notify_all();
}

void SdlAudioSink::WaitForFrames(std::uint64_t frames) {
    std::unique_lock lock(framesMutex_);
    framesTaken_.wait(lock, [&] { return frames_ >= frames; });
}

}  // namespace host::sound
