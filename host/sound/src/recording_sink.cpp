#include "sound/recording_sink.h"

#include <cmath>

#include "sound/mixer.h"
#include "sound/wav_file.h"

namespace sound {

void RecordingSink::Play(std::shared_ptr<const WaveClip> clip, bool loop) {
    const std::lock_guard lock(mutex_);
    if (!clip) {
        playing_ = false;
        return;
    }
    last_ = std::move(clip);
    playing_ = true;
    looping_ = loop;
    ++starts_;
}

void RecordingSink::SetVolume(std::uint32_t volume) {
    const std::lock_guard lock(mutex_);
    volume_ = volume;
}

RecordingSink::Playback RecordingSink::Current() const {
    const std::lock_guard lock(mutex_);
    Playback p;
    p.playing = playing_;
    p.looping = playing_ && looping_;
    p.volume = volume_;
    p.starts = starts_;
    if (playing_ && last_) {
        p.sampleRate = last_->sampleRate;
        p.channels = last_->channels;
        p.samples = last_->samples;
    }
    return p;
}

bool RecordingSink::WriteWav(const std::string& path, double seconds, std::string* error) const {
    if (!(seconds >= 0.0 && seconds <= 3600.0)) {
        if (error != nullptr) {
            *error = "cannot record " + std::to_string(seconds) + " seconds";
        }
        return false;
    }
    std::shared_ptr<const WaveClip> clip;
    bool loop = false;
    std::uint32_t volume = 0;
    {
        const std::lock_guard lock(mutex_);
        clip = last_;
        loop = looping_;
        volume = volume_;
    }
    Mixer mixer(kOutputRate);
    mixer.SetVolume(volume);
    mixer.Play(clip, loop);
    const auto frames = static_cast<std::size_t>(std::llround(seconds * kOutputRate));
    std::vector<std::int16_t> stereo(frames * 2);
    mixer.Render(stereo);
    return WriteWavFile(path, kOutputRate, 2, stereo, error);
}

}  // namespace sound
