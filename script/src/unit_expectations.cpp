#include "unit_expectations.h"

#include <cmath>
#include <string>
#include <vector>

#include "expectations.h"
#include "script/traffic_text.h"
#include "text_escapes.h"

namespace script::detail {

namespace {

using platform::TrafficKind;

constexpr std::size_t kShownEvents = 5;
constexpr std::size_t kShownContent = 200;

std::string NoTraffic(const std::string& device) {
    return "the traffic of " + device + " is " + kNotOnThisBackend;
}

std::string ContentText(const std::string& content) {
    if (content.size() <= kShownContent) {
        return Quote(content);
    }
    return Quote(content.substr(0, kShownContent)) + "... (" + std::to_string(content.size()) +
           " bytes)";
}

std::string Hz(double hz) {
    return std::to_string(static_cast<long long>(std::lround(hz))) + " Hz";
}

}  // namespace

std::string HexText(const std::vector<std::uint8_t>& bytes) {
    if (bytes.empty()) {
        return "nothing";
    }
    return HexBytes(bytes);
}

platform::Result<void> UnitExpectations::Check(const ExpectSent& e) {
    platform::Traffic* traffic = target_.TrafficOf(e.device);
    if (traffic == nullptr) {
        return platform::Fail(NoTraffic(e.device));
    }
    std::uint64_t end = 0;
    std::vector<std::uint8_t> sent;
    std::vector<std::string> frames;
    for (const platform::TrafficEvent& event : traffic->Since(sentSeen_[e.device], &end)) {
        if (event.device == e.device && event.kind == TrafficKind::Write) {
            sent.insert(sent.end(), event.bytes.begin(), event.bytes.end());
            frames.push_back(DescribeTraffic(event));
        }
    }
    if (sent == e.bytes) {
        sentSeen_[e.device] = end;
        return {};
    }
    std::string found = HexText(sent);
    if (!frames.empty()) {
        std::string described;
        for (const std::string& f : frames) {
            described += (described.empty() ? "" : "; ") + f;
        }
        found += " (" + described + ")";
    }
    return platform::Fail(Mismatch(HexText(e.bytes) + " sent to " + e.device, found));
}

platform::Result<void> UnitExpectations::Check(const ExpectControl& e) {
    platform::Traffic* traffic = target_.TrafficOf(e.device);
    if (traffic == nullptr) {
        return platform::Fail(NoTraffic(e.device));
    }
    std::vector<std::string> others;
    std::uint64_t end = 0;
    const std::vector<platform::TrafficEvent> events = traffic->Since(controlSeen_, &end);
    std::uint64_t at = end - events.size();  // one past the event looked at, once counted
    for (const platform::TrafficEvent& event : events) {
        ++at;
        if (event.kind != TrafficKind::Control || event.device != e.device) {
            continue;
        }
        if (event.code == e.code && (!e.input || *e.input == event.bytes)) {
            controlSeen_ = at;
            return {};
        }
        others.push_back(DescribeTraffic(event));
    }
    std::string wanted = e.codeText + " to " + e.device;
    if (e.input) {
        wanted += " with " + HexText(*e.input);
    }
    std::string found;
    const std::size_t first = others.size() - std::min(others.size(), kShownEvents);
    for (std::size_t i = first; i < others.size(); ++i) {
        found += (found.empty() ? "" : "; ") + others[i];
    }
    if (found.empty()) {
        found = "no new control request to " + e.device;
    } else if (first > 0) {
        found = "...; " + found;
    }
    return platform::Fail(Mismatch("the control request " + wanted, found));
}

platform::Result<void> UnitExpectations::Check(const ExpectFile& e) const {
    const auto content = target_.FileContent(e.path);
    if (!content) {
        return platform::Fail(content.error());
    }
    const std::string file = "the file " + Quote(e.path);
    switch (e.state) {
        case ExpectFile::State::Present:
            if (!*content) {
                return platform::Fail(Mismatch(file + " present", "none"));
            }
            return {};
        case ExpectFile::State::Absent:
            if (*content) {
                return platform::Fail(Mismatch(
                    file + " absent", "it, " + std::to_string((*content)->size()) + " bytes"));
            }
            return {};
        case ExpectFile::State::Content:
            if (!*content) {
                return platform::Fail(
                    Mismatch(file + " holding " + ContentText(e.content), "none"));
            }
            if (**content != e.content) {
                return platform::Fail(
                    Mismatch(file + " holding " + ContentText(e.content), ContentText(**content)));
            }
            return {};
    }
    return {};
}

platform::Result<void> UnitExpectations::Check(const ExpectRegistry& e) const {
    const auto present = target_.RegistryKeyPresent(e.key);
    if (!present) {
        return platform::Fail(present.error());
    }
    if (*present != e.present) {
        return platform::Fail(
            Mismatch("the key " + Quote(e.key) + (e.present ? " present" : " absent"),
                     e.present ? "none" : "it"));
    }
    return {};
}

platform::Result<void> UnitExpectations::Check(const ExpectSound& e) const {
    platform::Traffic* traffic = target_.TrafficOf("sound");
    if (traffic == nullptr) {
        return platform::Fail(NoTraffic("the sound"));
    }
    // The last sound started, unless it was stopped or has run out since.
    const platform::TrafficEvent* playing = nullptr;
    const std::vector<platform::TrafficEvent> events = traffic->Since(0);
    for (const platform::TrafficEvent& event : events) {
        if (event.kind == TrafficKind::SoundStart) {
            playing = &event;
        } else if (event.kind == TrafficKind::SoundStop) {
            playing = nullptr;
        }
    }
    if (playing != nullptr && !playing->sound.loop &&
        target_.NowMs() >= playing->atMs + playing->sound.lengthMs) {
        playing = nullptr;
    }
    std::string wanted = "a sound playing";
    if (e.hz) {
        wanted = "a sound of " + std::to_string(*e.hz) + " Hz (within " +
                 std::to_string(e.toleranceHz) + " Hz) playing";
    }
    if (!e.playing) {
        if (playing != nullptr) {
            return platform::Fail(
                Mismatch("silence", "a sound of " + Hz(playing->sound.frequencyHz) + " playing"));
        }
        return {};
    }
    if (playing == nullptr) {
        return platform::Fail(Mismatch(wanted, "silence"));
    }
    if (e.hz && std::abs(playing->sound.frequencyHz - *e.hz) > e.toleranceHz) {
        return platform::Fail(Mismatch(wanted, "one of " + Hz(playing->sound.frequencyHz)));
    }
    return {};
}

}  // namespace script::detail
