#include "traffic_monitor.h"

#include <string>

namespace program {

namespace {

struct Name {
    std::string_view word;
    unsigned bits;
};

constexpr Name kNames[] = {
    {"com7", kMonitorCom7}, {"gps1", kMonitorGps1},         {"ioctl", kMonitorIoctl},
    {"file", kMonitorFile}, {"registry", kMonitorRegistry}, {"sound", kMonitorSound},
    {"all", kMonitorAll},
};

}  // namespace

platform::Result<unsigned> ParseMonitorDevices(std::string_view text) {
    unsigned devices = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        const std::string_view word = text.substr(start, comma - start);
        const Name* found = nullptr;
        for (const Name& n : kNames) {
            found = n.word == word ? &n : found;
        }
        if (found == nullptr) {
            return platform::Fail(
                "--monitor takes com7, gps1, ioctl, file, registry, sound or "
                "all, joined by commas, not \"" +
                std::string(word) + "\"");
        }
        devices |= found->bits;
        if (comma == std::string_view::npos) {
            return devices;
        }
        start = comma + 1;
    }
}

bool TrafficMonitor::Takes(unsigned devices, const platform::TrafficEvent& event) {
    using platform::TrafficKind;
    switch (event.kind) {
        case TrafficKind::Control:
            return (devices & kMonitorIoctl) != 0;
        case TrafficKind::Write:
        case TrafficKind::Read:
            if (event.device == "COM7:") {
                return (devices & kMonitorCom7) != 0;
            }
            return event.device == "GPS1:" && event.kind == TrafficKind::Read &&
                   (devices & kMonitorGps1) != 0;
        case TrafficKind::FileCreate:
        case TrafficKind::FileWrite:
        case TrafficKind::FileCopy:
        case TrafficKind::FileDelete:
            return (devices & kMonitorFile) != 0;
        case TrafficKind::RegistryCreate:
        case TrafficKind::RegistryDelete:
            return (devices & kMonitorRegistry) != 0;
        case TrafficKind::SoundStart:
        case TrafficKind::SoundStop:
        case TrafficKind::SoundVolume:
            return (devices & kMonitorSound) != 0;
    }
    return false;
}

TrafficMonitor::TrafficMonitor(unsigned devices, script::Target& target, std::FILE* to)
    : devices_(devices), to_(to) {
    platform::Traffic* traffic = target.Traffic();
    if (traffic == nullptr) {
        static_cast<void>(std::fprintf(to_, "kestrin: --monitor: the unit's traffic is %s\n",
                                       script::kNotOnThisBackend));
        return;
    }
    traffic->Listen([this](const platform::TrafficEvent& event) { Show(event); });
}

void TrafficMonitor::Show(const platform::TrafficEvent& event) {
    if (!Takes(devices_, event)) {
        return;
    }
    std::string lines;
    for (const std::string& text : decoder_.Decode(event)) {
        lines += script::TrafficLine(event, text) + '\n';
    }
    // One write an event, so that its lines stay together beside the
    // program's other output.
    if (!lines.empty()) {
        // A standard error that cannot be written loses the line, nothing else.
        static_cast<void>(std::fputs(lines.c_str(), to_));
        static_cast<void>(std::fflush(to_));
    }
}

}  // namespace program
