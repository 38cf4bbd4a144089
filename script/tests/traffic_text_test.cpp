// The unit's traffic in words: each event as the decoder gives it, frames
// and lines cut across reads given whole with the read that ends them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/traffic_text.h"

namespace script {
namespace {

using platform::TrafficKind;

platform::TrafficEvent Port(const char* device, TrafficKind kind, std::vector<std::uint8_t> b) {
    auto e = platform::TrafficOf(device, kind);
    e.bytes = std::move(b);
    return e;
}

platform::TrafficEvent Text(const char* device, TrafficKind kind, const std::string& text) {
    return Port(device, kind, {text.begin(), text.end()});
}

TEST(TrafficTextTest, EachEventInTheWordsOfItsDevice) {
    using W = TrafficKind;
    auto control = [](const char* device, std::uint32_t code, std::vector<std::uint8_t> in,
                      std::vector<std::uint8_t> out, bool ok) {
        auto e = Port(device, TrafficKind::Control, std::move(in));
        e.code = code;
        e.output = std::move(out);
        e.result = ok ? platform::TRUE : platform::FALSE;
        e.error = ok ? 0 : 31;
        return e;
    };
    auto file = [](TrafficKind kind, const char* path, const char* text) {
        auto e = platform::TrafficOf("file", kind);
        e.path = path;
        e.text = text;
        return e;
    };
    auto tone = platform::TrafficOf("sound", W::SoundStart);
    tone.sound = {48000, 1, 16, 1, true, 0xFFFFFFFFU, 999.7};
    const std::vector<std::pair<platform::TrafficEvent, std::vector<std::string>>> cases = {
        {Port("COM7:", W::Write, {0xFF, 0x73, 0x7D, 0xF0, 0x73}),
         {"sent FF 73 7D F0 73: Tune 100.0 MHz"}},
        {Port("COM7:", W::Write, {0xFF, 0x59, 0xFE, 0x01, 0x59, 0xFF, 0x58, 0xFE, 0x03}),
         {"sent FF 59 FE 01 59: Seek up, parameter 1"}},
        {Port("COM7:", W::Write, {0x58}), {"sent FF 58 FE 03 58: Seek down, parameter 3"}},
        {Port("COM7:", W::Write, {0xFF, 0x56, 0x78, 0x78, 0x56, 0xFF, 0x6D, 0x00, 0x00, 0x6D}),
         {"sent FF 56 78 78 56: Version query", "sent FF 6D 00 00 6D: Mute on"}},
        {Port("COM7:", W::Write, {0x01, 0x02, 0xFF, 0x6C, 0x00, 0x00, 0x6C}),
         {"sent 01 02: no frame", "sent FF 6C 00 00 6C: Level"}},
        // The module's frames, however the reads cut them.
        {Port("COM7:", W::Read, {0x3F, 0x00, 0x00, 0x56, 0x01}), {}},
        {Port("COM7:", W::Read, {0x04, 0x02, 0x00, 0x00, 0x3F, 0x3F, 0x00, 0x00, 0x73}),
         {"read 3F 00 00 56 01 04 02 00 00 3F: reply V 1-4-2"}},
        {Port("COM7:", W::Read, {0x00, 0x01, 0x55, 0x00, 0x00, 0x3F}),
         {"read 3F 00 00 73 00 01 55 00 00 3F: reply s strength, tuned"}},
        {Port("COM7:", W::Read, {0x3F, 0x00, 0x00, 0x66, 0x0E, 0x01, 0x55, 0x00, 0x00, 0x3F,
                                 0x3F, 0xE2, 0x03, 0x05, 0x42, 0xE0, 0xCD, 0x43, 0x20, 0x3F}),
         {"read 3F 00 00 66 0E 01 55 00 00 3F: reply f found 88.9 MHz, tuned",
          "read 3F E2 03 05 42 E0 CD 43 20 3F: group 0A, PS segment 2 'C '"}},
        {Port("COM7:", W::Read, {0x3F, 0x00, 0x00, 0x6C, 0x00, 0x00, 0xC9, 0x00, 0x00, 0x3F}),
         {"read 3F 00 00 6C 00 00 C9 00 00 3F: reply l level -55"}},
        // NMEA lines, whole.
        {Text("GPS1:", W::Read, "$GPGGA,1*00\r\n$GPRM"), {"read $GPGGA,1*00"}},
        {Text("GPS1:", W::Read, "C,2*11\r\n"), {"read $GPRMC,2*11"}},
        {Port("COM1:", W::Write, {0x41, 0x0D}), {"sent 41 0D"}},
        {control("PWM1:", 0x8011, {5, 0, 0, 0}, {}, true),
         {"control VESK_PWM_IOCTL_SET_DUTY in 05 00 00 00"}},
        {control("PWM1:", 0x13, {}, {}, false),
         {"control VESK_PHOTOSENSOR_IOCTL_GET_LEVEL: failed, error 31"}},
        {control("GPS1:", 2, {}, std::vector<std::uint8_t>(20, 0x24), true),
         {"control VESK_GPS_IOCTL_READ_DATA out 20 bytes"}},
        {control("XYZ1:", 0x42, {}, {1}, true), {"control 0x42 out 01"}},
        {file(W::FileCopy, "\\b", "\\a"), {"copied \\a to \\b"}},
        {file(W::FileDelete, "\\b", ""), {"deleted \\b"}},
        {tone, {"started 1000 Hz: 48000 Hz 16-bit mono, 1 ms looped, volume 0xFFFFFFFF"}},
        {platform::TrafficOf("sound", W::SoundStop), {"stopped"}},
    };
    TrafficDecoder decoder;
    for (const auto& [event, texts] : cases) {
        EXPECT_EQ(decoder.Decode(event), texts) << event.device << " " << event.bytes.size();
    }
    EXPECT_EQ(TrafficLine(cases[0].first, "x"), "       0 ms COM7: x");
    EXPECT_EQ(DescribeTraffic(Port("COM7:", W::Read, {0x3F, 0x00})), "read 3F 00: part of a frame");
}

}  // namespace
}  // namespace script
