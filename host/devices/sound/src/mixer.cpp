#include "host/sound/mixer.h"

#include <algorithm>

namespace host::sound {

namespace {

std::int16_t Scale(std::int32_t sample, std::uint32_t volume) {
    return static_cast<std::int16_t>(sample * static_cast<std::int32_t>(volume) / 0xFFFF);
}

}  // namespace

Mixer::Mixer(std::uint32_t outputRate) : outputRate_(std::max<std::uint32_t>(outputRate, 1)) {}

void Mixer::Play(std::shared_ptr<const WaveClip> clip, bool loop) {
    const std::lock_guard lock(mutex_);
    if (clip && (clip->Frames() == 0 || clip->sampleRate == 0)) {
        clip = nullptr;
    }
    clip_ = std::move(clip);
    loop_ = loop;
    position_ = 0;
    step_ = clip_ ? (static_cast<std::uint64_t>(clip_->sampleRate) << 32U) / outputRate_ : 0;
}

void Mixer::SetVolume(std::uint32_t volume) {
    const std::lock_guard lock(mutex_);
    left_ = volume & 0xFFFFU;
    right_ = volume >> 16U;
}

bool Mixer::Playing() const {
    const std::lock_guard lock(mutex_);
    return clip_ != nullptr;
}

void Mixer::Render(std::span<std::int16_t> out) {
    const std::lock_guard lock(mutex_);
    const std::size_t frames = out.size() / 2;
    std::size_t i = 0;
    for (; i < frames && clip_; ++i) {
        const WaveClip& clip = *clip_;
        const std::size_t count = clip.Frames();
        if (count == 0) {  // Play refuses empty clips; never divide by an empty length
            clip_.reset();
            break;
        }
        const std::size_t channels = clip.channels;
        const auto index = static_cast<std::size_t>(position_ >> 32U);
        const std::size_t next = index + 1 < count ? index + 1 : (loop_ ? 0 : index);
        const auto fraction = static_cast<std::int64_t>(position_ & 0xFFFFFFFFU);
        auto at = [&](std::size_t channel) {
            const std::int32_t a = clip.samples[index * channels + channel];
            const std::int32_t b = clip.samples[next * channels + channel];
            return static_cast<std::int32_t>(a + (((b - a) * fraction) >> 32));
        };
        out[2 * i] = Scale(at(0), left_);
        out[2 * i + 1] = Scale(at(channels - 1), right_);

        position_ += step_;
        const std::uint64_t length = static_cast<std::uint64_t>(count) << 32U;
        if (position_ >= length) {
            if (loop_) {
                position_ %= length;
            } else {
                clip_.reset();
            }
        }
    }
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(2 * i), out.end(), std::int16_t{0});
}

void Mixer::Skip(std::uint64_t frames) {
    const std::lock_guard lock(mutex_);
    if (!clip_ || frames == 0) {
        return;
    }
    const std::uint64_t length = static_cast<std::uint64_t>(clip_->Frames()) << 32U;
    // Moves in pieces small enough that the position cannot overflow.
    const std::uint64_t limit =
        std::max<std::uint64_t>((std::uint64_t{1} << 62U) / std::max<std::uint64_t>(step_, 1), 1);
    while (frames > 0 && clip_) {
        const std::uint64_t n = std::min(frames, limit);
        frames -= n;
        position_ += step_ * n;
        if (position_ >= length) {
            if (loop_) {
                position_ %= length;
            } else {
                clip_.reset();
            }
        }
    }
}

}  // namespace host::sound
