#include "script/traffic_text.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <span>

#include "devices/com7.h"
#include "devices/control_codes.h"
#include "devices/gps1.h"
#include "rds/frame_text.h"
#include "rds/module_frame.h"

namespace script {

namespace {

using platform::TrafficEvent;
using platform::TrafficKind;

// A control's buffer longer than this is shown by its size.
constexpr std::size_t kShownBufferBytes = 16;
// An NMEA line is at most 82 characters; a run this long without a line end
// is given as it is.
constexpr std::size_t kLongestLine = 1024;

std::span<const std::uint8_t> Bytes(const std::string& held, std::size_t from, std::size_t n) {
    return {reinterpret_cast<const std::uint8_t*>(held.data()) + from, n};
}

std::string Buffer(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() > kShownBufferBytes) {
        return std::to_string(bytes.size()) + " bytes";
    }
    return HexBytes(bytes);
}

std::string Number(std::uint32_t value) {
    char text[16];
    static_cast<void>(std::snprintf(text, sizeof text, "0x%" PRIX32, value));
    return text;
}

// Cuts held into whole frames of size bytes that start with start and pass
// whole(); bytes that start none are given as one text of their own.
template <typename Whole, typename Describe>
void Frames(std::string& held, std::size_t size, std::uint8_t start, const std::string& verb,
            Whole whole, Describe describe, std::vector<std::string>* out) {
    std::string skipped;
    auto flushSkipped = [&] {
        if (!skipped.empty()) {
            out->push_back(verb + " " + HexBytes(Bytes(skipped, 0, skipped.size())) + ": no frame");
            skipped.clear();
        }
    };
    std::size_t at = 0;
    while (held.size() - at >= size) {
        const auto frame = Bytes(held, at, size);
        if (frame[0] == start && whole(frame)) {
            flushSkipped();
            out->push_back(verb + " " + HexBytes(frame) + ": " + describe(frame));
            at += size;
        } else {
            skipped += held[at++];
        }
    }
    // What may still start a frame waits for the next bytes.
    while (at < held.size() && static_cast<std::uint8_t>(held[at]) != start) {
        skipped += held[at++];
    }
    flushSkipped();
    held.erase(0, at);
}

void Lines(std::string& held, std::vector<std::string>* out) {
    std::size_t start = 0;
    for (std::size_t end = held.find('\n'); end != std::string::npos;
         end = held.find('\n', start)) {
        std::string line = held.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        out->push_back("read " + line);
        start = end + 1;
    }
    held.erase(0, start);
    if (held.size() > kLongestLine) {
        out->push_back("read " + held);
        held.clear();
    }
}

std::string Control(const TrafficEvent& e) {
    const auto name = ControlCodeNameOf(e.device, e.code);
    std::string text = "control " + (name ? std::string(*name) : Number(e.code));
    if (!e.bytes.empty()) {
        text += " in " + Buffer(e.bytes);
    }
    if (!e.output.empty()) {
        text += " out " + Buffer(e.output);
    }
    if (e.result == platform::FALSE) {
        text += ": failed, error " + std::to_string(e.error);
    }
    return text;
}

std::string Sound(const TrafficEvent& e) {
    const platform::TrafficSound& s = e.sound;
    switch (e.kind) {
        case TrafficKind::SoundStart:
            return "started " + std::to_string(std::lround(s.frequencyHz)) +
                   " Hz: " + std::to_string(s.sampleRate) + " Hz " +
                   std::to_string(s.bitsPerSample) + "-bit " +
                   (s.channels == 1 ? "mono" : "stereo") + ", " + std::to_string(s.lengthMs) +
                   " ms" + (s.loop ? " looped" : "") + ", volume " + Number(s.volume);
        case TrafficKind::SoundStop:
            return "stopped";
        default:
            return "volume " + Number(s.volume);
    }
}

}  // namespace

TrafficDecoder::TrafficDecoder() = default;
TrafficDecoder::~TrafficDecoder() = default;

std::vector<std::string> TrafficDecoder::Decode(const TrafficEvent& e) {
    std::vector<std::string> out;
    switch (e.kind) {
        case TrafficKind::Write:
        case TrafficKind::Read: {
            const bool write = e.kind == TrafficKind::Write;
            const std::string verb = write ? "sent" : "read";
            std::string& held = pending_[e.device + (write ? ">" : "<")];
            held.append(e.bytes.begin(), e.bytes.end());
            if (e.device == kRdsPortName && write) {
                Frames(
                    held, kRdsCommandFrameSize, kRdsCommandStart, verb,
                    [](std::span<const std::uint8_t> f) { return f[1] == f[4]; },
                    [](std::span<const std::uint8_t> f) { return DescribeRdsCommand(f); }, &out);
            } else if (e.device == kRdsPortName) {
                Frames(
                    held, kRdsFrameSize, kRdsFrameMarker, verb,
                    [](std::span<const std::uint8_t> f) { return f[9] == kRdsFrameMarker; },
                    [](std::span<const std::uint8_t> f) {
                        return DescribeRdsFrame(DecodeRdsFrame(f.data(), f.size()));
                    },
                    &out);
            } else if (e.device == kGpsDeviceName && !write) {
                Lines(held, &out);
            } else {
                out.push_back(verb + " " + HexBytes(Bytes(held, 0, held.size())));
                held.clear();
            }
            break;
        }
        case TrafficKind::Control:
            out.push_back(Control(e));
            break;
        case TrafficKind::FileCreate:
            out.push_back("created " + e.path);
            break;
        case TrafficKind::FileWrite:
            out.push_back("wrote " + std::to_string(e.bytes.size()) + " bytes to " + e.path);
            break;
        case TrafficKind::FileCopy:
            out.push_back("copied " + e.text + " to " + e.path);
            break;
        case TrafficKind::FileDelete:
            out.push_back("deleted " + e.path);
            break;
        case TrafficKind::RegistryCreate:
            out.push_back("created " + e.path + (e.text.empty() ? "" : " (" + e.text + ")"));
            break;
        case TrafficKind::RegistryDelete:
            out.push_back("deleted " + e.path);
            break;
        case TrafficKind::SoundStart:
        case TrafficKind::SoundStop:
        case TrafficKind::SoundVolume:
            out.push_back(Sound(e));
            break;
    }
    return out;
}

std::string DescribeTraffic(const TrafficEvent& event) {
    TrafficDecoder decoder;
    std::vector<std::string> texts = decoder.Decode(event);
    // Bytes that wait for more are shown as they are.
    std::string joined;
    for (const std::string& t : texts) {
        joined += (joined.empty() ? "" : "; ") + t;
    }
    if (joined.empty() && !event.bytes.empty()) {
        joined = std::string(event.kind == TrafficKind::Write ? "sent " : "read ") +
                 HexBytes(event.bytes) + ": part of a frame";
    }
    return joined;
}

std::string TrafficLine(const TrafficEvent& event, const std::string& text) {
    char time[32];
    static_cast<void>(std::snprintf(time, sizeof time, "%8" PRIu64 " ms ",
                                    static_cast<std::uint64_t>(event.atMs)));
    return time + event.device + " " + text;
}

std::string HexBytes(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (const std::uint8_t b : bytes) {
        text += text.empty() ? "" : " ";
        text += kDigits[b >> 4];
        text += kDigits[b & 0xF];
    }
    return text;
}

}  // namespace script
