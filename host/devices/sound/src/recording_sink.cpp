#include "host/sound/recording_sink.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>

#include "host/sound/mixer.h"
#include "host/sound/wav_file.h"

namespace host::sound {

namespace {

constexpr std::uint64_t kFramesPerMs = RecordingSink::kOutputRate / 1000;

std::uint64_t SteadyMs() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

// How long a clip played once lasts, rounded up to whole milliseconds.
std::uint64_t DurationMs(const WaveClip& clip) {
    if (clip.sampleRate == 0) {
        return 0;
    }
    return (std::uint64_t{clip.Frames()} * 1000 + clip.sampleRate - 1) / clip.sampleRate;
}

}  // namespace

RecordingSink::RecordingSink(Clock clock, std::uint64_t sessionSeconds)
    : clock_(clock ? std::move(clock) : Clock(&SteadyMs)), sessionMs_(sessionSeconds * 1000) {}

void RecordingSink::Record(Event event) {
    if (event.kind != Event::Kind::Volume) {
        lastSoundMs_ = event.ms;
    }
    events_.push_back(std::move(event));
    if (events_.size() >= pruneAt_) {
        Prune();
    }
}

// A session written ends at the last start or stop or later, so events more
// than a session before that only matter for the state they leave: the last
// start or stop and the last volume among them are kept.
void RecordingSink::Prune() {
    const std::uint64_t cutoff = lastSoundMs_ > sessionMs_ ? lastSoundMs_ - sessionMs_ : 0;
    std::optional<std::size_t> lastSound;
    std::optional<std::size_t> lastVolume;
    std::size_t old = 0;
    for (; old < events_.size() && events_[old].ms < cutoff; ++old) {
        (events_[old].kind == Event::Kind::Volume ? lastVolume : lastSound) = old;
    }
    std::vector<Event> kept;
    for (std::size_t i = 0; i < events_.size(); ++i) {
        if (i >= old || i == lastSound || i == lastVolume) {
            kept.push_back(std::move(events_[i]));
        }
    }
    events_ = std::move(kept);
    pruneAt_ = std::max<std::size_t>(64, 2 * events_.size());
}

void RecordingSink::Play(std::shared_ptr<const WaveClip> clip, bool loop) {
    const std::lock_guard lock(mutex_);
    const std::uint64_t now = clock_();
    if (!clip) {
        if (playing_) {
            Record({now, Event::Kind::Stop, nullptr, false, 0});
        }
        playing_ = false;
        return;
    }
    Record({now, Event::Kind::Start, clip, loop, 0});
    last_ = std::move(clip);
    playing_ = true;
    looping_ = loop;
    ++starts_;
}

void RecordingSink::SetVolume(std::uint32_t volume) {
    const std::lock_guard lock(mutex_);
    Record({clock_(), Event::Kind::Volume, nullptr, false, volume});
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

platform::Result<void> RecordingSink::WriteWav(const std::string& path, double seconds) const {
    if (!(seconds >= 0.0 && seconds <= 3600.0)) {
        return platform::Fail("cannot record " + std::to_string(seconds) + " seconds");
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
    return WriteWavFile(path, kOutputRate, 2, stereo);
}

platform::Result<void> RecordingSink::WriteSession(const std::string& path) const {
    std::vector<Event> events;
    std::uint64_t now = 0;
    {
        const std::lock_guard lock(mutex_);
        events = events_;
        now = clock_();
    }
    const auto first = std::find_if(events.begin(), events.end(),
                                    [](const Event& e) { return e.kind == Event::Kind::Start; });
    if (first == events.end()) {
        return WriteWavFile(path, kOutputRate, 2, {});
    }
    // The end: the last stop; now while a loop plays; the end of a sound
    // played once, unless the session ends before it.
    const auto lastSound = std::find_if(events.rbegin(), events.rend(), [](const Event& e) {
        return e.kind != Event::Kind::Volume;
    });
    std::uint64_t end = lastSound->ms;
    if (lastSound->kind == Event::Kind::Start) {
        const std::uint64_t natural =
            lastSound->loop ? now : lastSound->ms + DurationMs(*lastSound->clip);
        end = std::max(end, std::min(now, natural));
    }
    const std::uint64_t begin = std::max(first->ms, end > sessionMs_ ? end - sessionMs_ : 0);

    std::vector<std::int16_t> stereo(static_cast<std::size_t>((end - begin) * kFramesPerMs * 2));
    Mixer mixer(kOutputRate);
    std::uint64_t cursor = events.front().ms;
    auto advanceTo = [&](std::uint64_t ms) {
        ms = std::min(ms, end);
        if (ms <= cursor) {
            return;
        }
        if (cursor < begin) {
            const std::uint64_t to = std::min(ms, begin);
            mixer.Skip((to - cursor) * kFramesPerMs);
            cursor = to;
        }
        if (ms > cursor) {
            const auto at = static_cast<std::size_t>((cursor - begin) * kFramesPerMs * 2);
            const auto count = static_cast<std::size_t>((ms - cursor) * kFramesPerMs * 2);
            mixer.Render(std::span<std::int16_t>(stereo).subspan(at, count));
            cursor = ms;
        }
    };
    for (const Event& e : events) {
        advanceTo(e.ms);
        switch (e.kind) {
            case Event::Kind::Start:
                mixer.Play(e.clip, e.loop);
                break;
            case Event::Kind::Stop:
                mixer.Stop();
                break;
            case Event::Kind::Volume:
                mixer.SetVolume(e.volume);
                break;
        }
    }
    advanceTo(end);
    return WriteWavFile(path, kOutputRate, 2, stereo);
}

}  // namespace host::sound
