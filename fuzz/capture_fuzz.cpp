// Input: one byte choosing the station's record (bit 0: a pi, bit 1: a ps),
// then a capture file. The loader either names a line and says what is
// wrong, in text without a control byte, or gives a schedule whose groups
// (never block A 0000) come at least a group time apart, loop after loop,
// within a minute's gap a group however the stamps run; the module then
// plays it on the line in that order.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <variant>

#include "fuzz_check.h"
#include "host/com7/station_capture.h"
#include "host/com7/tuner_module.h"

namespace {

using fuzz::Check;

bool Printable(std::string_view text) {
    return std::ranges::none_of(
        text, [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

void CheckSchedule(const host::com7::CaptureSchedule& schedule, std::size_t lines) {
    const std::uint64_t slotMostUs = static_cast<std::uint64_t>(host::com7::kLongestGapMs) * 1000 +
                                     host::com7::GroupUs(1) + 1000;
    Check(schedule.LoopUs() <= lines * slotMostUs, "a loop within a minute's gap a group");
    if (const auto& jump = schedule.Jump()) {
        Check(jump->line >= 1 && static_cast<std::size_t>(jump->line) <= lines,
              "a jump names a line of the capture");
        Check(jump->aheadMs > host::com7::kLongestGapMs && jump->more >= 0,
              "a jump beyond the gap");
    }
    if (schedule.Size() == 0) {
        return;
    }
    Check(schedule.OffsetUs(schedule.Size() - 1) < schedule.LoopUs(), "the last slot in the loop");
    for (std::uint64_t n = 0; n + 1 < 2 * schedule.Size(); ++n) {
        Check(schedule.OffsetUs(n + 1) >= schedule.OffsetUs(n) + host::com7::GroupUs(1),
              "groups a group time apart at least");
        Check(schedule.Group(n).a != 0, "block A never 0000");
    }
}

void Play(const std::shared_ptr<const host::com7::CaptureSchedule>& schedule) {
    host::com7::Station station;
    station.frequency = 950;
    station.pi = 1;
    station.capture = schedule;
    host::com7::ModuleConfig config;
    config.stations = {station};
    config.frequency = 950;
    host::com7::TunerModule module(config);
    module.PowerUp(0);
    const std::uint64_t endUs = 2 * schedule->LoopUs() + host::com7::GroupUs(1);
    std::uint64_t lastUs = 0;
    std::size_t frames = 0;
    while (const auto frame = module.TakeFrame(endUs)) {
        Check(frame->readyUs >= lastUs, "frames in time order");
        lastUs = frame->readyUs;
        Check(++frames <= 2 * schedule->Size() + 2, "no more groups than two loops hold");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    host::com7::StationIdentity identity;
    if ((data[0] & 1) != 0) {
        identity.pi = 0xE2AB;
    }
    if ((data[0] & 2) != 0) {
        identity.ps = host::com7::EncodePsName("KESTRIN");
    }
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const auto made = host::com7::MakeStationCapture(text, identity);
    if (const auto* error = std::get_if<host::com7::CaptureError>(&made)) {
        Check(!error->message.empty() && Printable(error->message), "a readable reason");
        Check(error->line >= 0 && static_cast<std::size_t>(error->line) <= fuzz::Lines(text),
              "an error names a line of the capture");
        return 0;
    }
    const auto& capture = std::get<host::com7::StationCapture>(made);
    Check(capture.schedule != nullptr, "a schedule");
    Check(!identity.pi || capture.pi == *identity.pi, "the record's pi");
    CheckSchedule(*capture.schedule, fuzz::Lines(text));
    Play(capture.schedule);
    return 0;
}
