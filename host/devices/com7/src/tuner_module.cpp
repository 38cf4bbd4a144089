#include "host/com7/tuner_module.h"

#include <algorithm>

#include "host/com7/capture_schedule.h"

namespace host::com7 {

namespace {

std::uint8_t Channel(int frequency) {
    return static_cast<std::uint8_t>(frequency - kRdsBaseFrequency);
}

// One step of the band in a direction, wrapping at its edges.
int Wrap(int frequency, int steps) {
    const int offset =
        ((frequency - kRdsBaseFrequency + steps) % kBandChannels + kBandChannels) % kBandChannels;
    return kRdsBaseFrequency + offset;
}

ModuleFrame GroupFrame(const RdsGroup& g) {
    const auto hi = [](std::uint16_t w) { return static_cast<std::uint8_t>(w >> 8); };
    const auto lo = [](std::uint16_t w) { return static_cast<std::uint8_t>(w & 0xFFU); };
    return {kRdsFrameMarker, hi(g.a), lo(g.a), hi(g.b), lo(g.b),
            hi(g.c),         lo(g.c), hi(g.d), lo(g.d), kRdsFrameMarker};
}

}  // namespace

TunerModule::TunerModule(ModuleConfig config) : config_(std::move(config)) {}

void TunerModule::PowerUp(std::uint64_t nowUs) {
    replies_.clear();
    seek_.reset();
    commandBytes_ = 0;
    muted_ = true;
    TuneTo(std::clamp(config_.frequency, kRdsBaseFrequency, kRdsTopFrequency), nowUs);
}

const Station* TunerModule::StationOn(int frequency) const {
    for (const Station& s : config_.stations) {
        if (s.frequency == frequency) {
            return &s;
        }
    }
    return nullptr;
}

const Station* TunerModule::Tuned() const {
    return seek_ ? nullptr : StationOn(frequency_);
}

std::uint8_t TunerModule::LevelByte() const {
    const Station* station = Tuned();
    const int level = station != nullptr ? station->level : config_.noiseLevel;
    return static_cast<std::uint8_t>(static_cast<std::int8_t>(std::clamp(level, -128, 127)));
}

void TunerModule::Receive(std::span<const std::uint8_t> bytes, std::uint64_t atUs) {
    for (const std::uint8_t byte : bytes) {
        if (commandBytes_ == 0 && byte != kRdsCommandStart) {
            continue;
        }
        command_[commandBytes_++] = byte;
        if (commandBytes_ < command_.size()) {
            continue;
        }
        if (command_[4] == command_[1]) {
            commandBytes_ = 0;
            Execute(command_, atUs);
            continue;
        }
        // Not a command: start again at the next 0xFF among the bytes held.
        std::size_t next = 1;
        while (next < command_.size() && command_[next] != kRdsCommandStart) {
            ++next;
        }
        std::copy(command_.begin() + static_cast<std::ptrdiff_t>(next), command_.end(),
                  command_.begin());
        commandBytes_ = command_.size() - next;
    }
}

void TunerModule::Execute(const std::array<std::uint8_t, kRdsCommandFrameSize>& command,
                          std::uint64_t atUs) {
    const std::uint64_t readyUs = atUs + kAnswerUs;
    switch (command[1]) {
        case kRdsCodeTune: {
            seek_.reset();
            const int frequency = kRdsBaseFrequency + command[2];
            if (frequency > kRdsTopFrequency) {
                // Outside the band the synthesiser cannot lock: it stays put.
                Reply(kRdsReplyTune, command[2], 0x00, 0x00, readyUs);
                return;
            }
            TuneTo(frequency, readyUs + GroupUs(1));
            const Station* station = StationOn(frequency);
            const bool strong = station != nullptr && station->level >= config_.strongLevel;
            Reply(kRdsReplyTune, command[2], strong ? kRdsFlagSet : 0x00,
                  station != nullptr ? kRdsTunedMark : 0x00, readyUs);
            return;
        }
        case kRdsCodeSeekUp:
        case kRdsCodeSeekDown:
            StartSeek(command[1] == kRdsCodeSeekUp, atUs);
            return;
        case kRdsCodeLevel:
            Reply(kRdsReplyLevel, 0x00, 0x00, LevelByte(), readyUs);
            return;
        case kRdsCodeVersion:
            Reply(kRdsReplyVersion, config_.version[0], config_.version[1], config_.version[2],
                  readyUs);
            return;
        case kRdsCodeMute:
            if (command[2] == 0x00 || command[2] == 0x01) {
                muted_ = command[2] == 0x00;
            }
            return;
        default:
            return;
    }
}

void TunerModule::Reply(std::uint8_t code, std::uint8_t d4, std::uint8_t d5, std::uint8_t d6,
                        std::uint64_t readyUs) {
    TimedFrame frame{readyUs,
                     {kRdsFrameMarker, 0x00, 0x00, code, d4, d5, d6, 0x00, 0x00, kRdsFrameMarker}};
    const auto at =
        std::upper_bound(replies_.begin(), replies_.end(), readyUs,
                         [](std::uint64_t t, const TimedFrame& f) { return t < f.readyUs; });
    replies_.insert(at, frame);
}

void TunerModule::TuneTo(int frequency, std::uint64_t streamFromUs) {
    frequency_ = frequency;
    streaming_ = StationOn(frequency) != nullptr;
    streamStartUs_ = streamFromUs;
    streamIndex_ = 0;
    // A capture plays from its start; live groups count from now on.
    captureBaseUs_ = streamFromUs;
    captureNext_ = 0;
    live_.clear();
    liveFreeUs_ = streamFromUs;
}

void TunerModule::StartSeek(bool up, std::uint64_t atUs) {
    // The scan runs channel by channel from the tuned frequency, round the
    // band; a full circle ends where it started.
    const int direction = up ? 1 : -1;
    int steps = kBandChannels;
    int found = frequency_;
    for (int step = 1; step <= kBandChannels; ++step) {
        const int candidate = Wrap(frequency_, direction * step);
        if (StationOn(candidate) != nullptr) {
            steps = step;
            found = candidate;
            break;
        }
    }
    const bool hit = StationOn(found) != nullptr;
    const std::uint8_t foundFlag = hit ? kRdsFlagSet : std::uint8_t{0x00};
    const std::uint8_t tunedFlag = hit ? kRdsTunedMark : std::uint8_t{0x00};
    const std::uint64_t readyUs =
        atUs + std::uint64_t{config_.seekStepMs} * 1000 * static_cast<std::uint64_t>(steps) +
        kAnswerUs;
    PendingSeek seek;
    seek.frequency = found;
    seek.reply = {readyUs,
                  {kRdsFrameMarker, 0x00, 0x00, kRdsReplySeek, Channel(found), foundFlag, tunedFlag,
                   0x00, 0x00, kRdsFrameMarker}};
    seek_ = seek;
    streaming_ = false;
}

std::optional<std::uint64_t> TunerModule::NextGroupUs() const {
    const Station* station = streaming_ ? Tuned() : nullptr;
    if (station == nullptr) {
        return std::nullopt;
    }
    if (station->live) {
        return live_.empty() ? std::nullopt : std::optional(live_.front().readyUs);
    }
    if (station->capture) {
        if (station->capture->Size() == 0) {
            return std::nullopt;
        }
        return captureBaseUs_ + station->capture->OffsetUs(captureNext_);
    }
    return streamStartUs_ + GroupUs(streamIndex_);
}

std::optional<std::uint64_t> TunerModule::NextFrameUs() const {
    std::optional<std::uint64_t> next;
    const auto consider = [&next](std::optional<std::uint64_t> t) {
        if (t && (!next || *t < *next)) {
            next = t;
        }
    };
    if (!replies_.empty()) {
        consider(replies_.front().readyUs);
    }
    if (seek_) {
        consider(seek_->reply.readyUs);
    }
    consider(NextGroupUs());
    return next;
}

std::optional<TimedFrame> TunerModule::TakeFrame(std::uint64_t nowUs) {
    const std::optional<std::uint64_t> next = NextFrameUs();
    if (!next || *next > nowUs) {
        return std::nullopt;
    }
    // Ties: replies first, then a finished seek, then the stream.
    if (!replies_.empty() && replies_.front().readyUs == *next) {
        TimedFrame frame = replies_.front();
        replies_.erase(replies_.begin());
        return frame;
    }
    if (seek_ && seek_->reply.readyUs == *next) {
        const PendingSeek seek = *seek_;
        seek_.reset();
        TuneTo(seek.frequency, seek.reply.readyUs + GroupUs(1));
        return seek.reply;
    }
    const Station* station = Tuned();
    if (station == nullptr) {
        streaming_ = false;
        return std::nullopt;
    }
    if (station->live) {
        const TimedFrame frame = live_.front();
        live_.pop_front();
        return frame;
    }
    if (station->capture) {
        return TimedFrame{*next, GroupFrame(station->capture->Group(captureNext_++))};
    }
    TimedFrame frame{*next, GroupFrame(StationGroup(*station, cycle_++))};
    ++streamIndex_;
    return frame;
}

void TunerModule::Skip(std::uint64_t nowUs) {
    std::erase_if(replies_, [nowUs](const TimedFrame& f) { return f.readyUs < nowUs; });
    if (seek_ && seek_->reply.readyUs < nowUs) {
        const int frequency = seek_->frequency;
        seek_.reset();
        TuneTo(frequency, nowUs);
    }
    if (const auto group = NextGroupUs(); group && *group < nowUs) {
        streamStartUs_ = nowUs;
        streamIndex_ = 0;
        const Station* station = Tuned();
        if (station->capture) {
            // The next group of the capture is ready now; the ones after it
            // keep their spacing.
            captureBaseUs_ = nowUs - station->capture->OffsetUs(captureNext_);
        }
        while (!live_.empty() && live_.front().readyUs < nowUs) {
            live_.pop_front();
        }
    }
}

void TunerModule::ReceiveLive(const RdsGroup& group, bool clean, std::uint64_t atUs) {
    const Station* station = streaming_ ? Tuned() : nullptr;
    if (station == nullptr || !station->live || !clean) {
        return;
    }
    const RdsGroup g = station->identity.Apply(group);
    if (g.a == 0) {
        return;  // word A zero would read as a reply
    }
    const std::uint64_t readyUs = std::max(atUs, liveFreeUs_);
    live_.push_back({readyUs, GroupFrame(g)});
    liveFreeUs_ = readyUs + GroupUs(1);
    if (live_.size() > kLiveGroupsHeld) {
        live_.pop_front();
    }
}

}  // namespace host::com7
