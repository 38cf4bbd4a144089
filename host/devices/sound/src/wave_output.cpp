#include "host/sound/wave_output.h"

#include "platform/last_error.h"

#include <array>
#include <chrono>
#include <cstring>
#include <span>

namespace host::sound {

namespace {

// MMSYSERR_INVALPARAM: a null out-pointer.
constexpr platform::MMRESULT kInvalidParameter = 11;

}  // namespace

WaveOutput::WaveOutput(const Options& options)
    : clock_(options.clock),
      traffic_(options.traffic),
      recorder_(options.clock),
      cardProblem_("no sound card wanted"),
      volume_(options.volume) {
    const std::lock_guard lock(mutex_);
    ApplyVolume(options.volume);
    if (options.soundCard) {
        if (auto card = SdlAudioSink::Open(); card) {
            card_ = std::move(*card);
            cardProblem_.clear();
            card_->SetVolume(options.volume);
        } else {
            cardProblem_ = card.error();
        }
    }
}

WaveOutput::~WaveOutput() = default;

std::uint64_t WaveOutput::NowMs() const {
    if (clock_) {
        return clock_();
    }
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

void WaveOutput::Report(const std::shared_ptr<const WaveClip>& clip, bool loop) {
    const std::uint64_t now = NowMs();
    if (current_ != nullptr && current_->sampleRate != 0) {
        const std::uint64_t length = current_->Frames() * 1000 / current_->sampleRate;
        if (currentLoop_ || now < currentStartMs_ + length) {
            auto event = platform::TrafficOf("sound", platform::TrafficKind::SoundStop);
            traffic_->Record(std::move(event));
        }
    }
    currentStartMs_ = now;
    if (clip == nullptr || clip->sampleRate == 0) {
        return;
    }
    auto event = platform::TrafficOf("sound", platform::TrafficKind::SoundStart);
    event.sound.sampleRate = clip->sampleRate;
    event.sound.channels = clip->channels;
    event.sound.bitsPerSample = 16;
    event.sound.lengthMs = clip->Frames() * 1000 / clip->sampleRate;
    event.sound.loop = loop;
    event.sound.volume = volume_.load();
    event.sound.frequencyHz = CrossingFrequency(*clip, loop);
    traffic_->Record(std::move(event));
}

void WaveOutput::Send(std::shared_ptr<const WaveClip> clip, bool loop) {
    if (traffic_ != nullptr && traffic_->On()) {
        Report(clip, loop);
    }
    if (card_) {
        card_->Play(clip, loop);
    }
    current_ = clip;
    currentLoop_ = loop;
    recorder_.Play(std::move(clip), loop);
}

bool WaveOutput::OpenSoundCard() {
    const std::lock_guard lock(mutex_);
    if (card_) {
        return true;
    }
    auto card = SdlAudioSink::Open();
    if (!card) {
        cardProblem_ = card.error();
        return false;
    }
    card_ = std::move(*card);
    cardProblem_.clear();
    card_->SetVolume(volume_.load());
    card_->Play(current_, currentLoop_);
    return true;
}

bool WaveOutput::Audible() const {
    const std::lock_guard lock(mutex_);
    return card_ != nullptr;
}

std::string WaveOutput::SoundCardProblem() const {
    const std::lock_guard lock(mutex_);
    return cardProblem_;
}

void WaveOutput::ApplyVolume(platform::DWORD volume) {
    if (traffic_ != nullptr && traffic_->On() && volume != volume_.load()) {
        auto event = platform::TrafficOf("sound", platform::TrafficKind::SoundVolume);
        event.sound.volume = volume;
        traffic_->Record(std::move(event));
    }
    volume_.store(volume);
    if (card_) {
        card_->SetVolume(volume);
    }
    recorder_.SetVolume(volume);
}

platform::BOOL WaveOutput::PlaySound(const void* image, platform::DWORD flags) {
    const std::lock_guard lock(mutex_);
    // Whatever happens below, the sound that played so far is replaced.
    Send(nullptr, false);
    if (const platform::DWORD code = failPlay_.load(); code != 0) {
        platform::SetLastError(code);
        return platform::FALSE;
    }
    if (image == nullptr) {
        return platform::TRUE;
    }
    const bool loop = (flags & platform::SND_LOOP) != 0;
    if ((flags & platform::SND_MEMORY) == 0 || (loop && (flags & platform::SND_ASYNC) == 0)) {
        return platform::FALSE;
    }
    // The image's size comes from its own header; read no further than that.
    std::array<std::uint8_t, 8> header{};
    std::memcpy(header.data(), image, header.size());
    const auto size = WaveImageSize(header);
    if (!size) {
        return platform::FALSE;
    }
    auto clip = ParseWaveImage(
        std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(image), *size));
    if (!clip) {
        return platform::FALSE;
    }
    Send(std::make_shared<const WaveClip>(std::move(*clip)), loop);
    return platform::TRUE;
}

platform::MMRESULT WaveOutput::waveOutSetVolume(platform::DWORD device, platform::DWORD volume) {
    if (const platform::MMRESULT code = failSetVolume_.load(); code != 0) {
        return code;
    }
    if (device != platform::WAVE_MAPPER) {
        return platform::MMSYSERR_BADDEVICEID;
    }
    const std::lock_guard lock(mutex_);
    ApplyVolume(volume);
    return platform::MMSYSERR_NOERROR;
}

platform::MMRESULT WaveOutput::waveOutGetVolume(platform::DWORD device, platform::DWORD* volume) {
    if (const platform::MMRESULT code = failGetVolume_.load(); code != 0) {
        return code;
    }
    if (device != platform::WAVE_MAPPER) {
        return platform::MMSYSERR_BADDEVICEID;
    }
    if (volume == nullptr) {
        return kInvalidParameter;
    }
    *volume = volume_.load();
    return platform::MMSYSERR_NOERROR;
}

void WaveOutput::RestoreVolume(platform::DWORD volume) {
    const std::lock_guard lock(mutex_);
    ApplyVolume(volume);
}

}  // namespace host::sound
