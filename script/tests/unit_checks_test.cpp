// The expectations on the unit beneath the screen, each in the steps of a
// run: what the unit did meanwhile, the line checked and what it says.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "expectations.h"
#include "platform/traffic.h"
#include "script/script.h"
#include "ui/desktop.h"
#include "ui/headless_presenter.h"

namespace script::test {
namespace {

using platform::TrafficEvent;
using platform::TrafficKind;

// A unit with a clock, files and keys the test sets, and its traffic.
class UnitTarget final : public Target {
  public:
    UnitTarget() { traffic.Keep(); }
    std::uint64_t now = 0;
    std::map<std::string, std::string> files;
    std::set<std::string> keys;
    platform::Traffic traffic{[this] { return now; }};
    bool seesTraffic = true;

    [[nodiscard]] bool VirtualTime() const override { return true; }
    [[nodiscard]] std::uint64_t NowMs() const override { return now; }
    void AdvanceTo(std::uint64_t ms) override { now = ms; }
    [[nodiscard]] std::optional<std::uint64_t> NextDeadline() const override { return {}; }
    [[nodiscard]] bool Quiescent() const override { return true; }
    bool WaitQuiescent(std::chrono::milliseconds /*limit*/) override { return true; }
    [[nodiscard]] std::string Activity() const override { return {}; }
    platform::Result<void> Set(std::string_view /*k*/, std::string_view /*v*/) override {
        return {};
    }
    [[nodiscard]] std::vector<std::string> DebugLines() const override { return {}; }
    [[nodiscard]] platform::Traffic* Traffic() override { return seesTraffic ? &traffic : nullptr; }
    [[nodiscard]] platform::Result<std::optional<std::string>> FileContent(
        std::string_view path) const override {
        const auto it = files.find(std::string(path));
        return it == files.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    [[nodiscard]] platform::Result<bool> RegistryKeyPresent(std::string_view key) const override {
        return keys.contains(std::string(key));
    }
};

// One step: what the unit does first, then the line and what it says
// (empty: it holds).
struct UnitStep {
    std::function<void(UnitTarget&)> unit;
    const char* line;
    const char* failure;
};

void Write(UnitTarget& t, const std::string& device, std::vector<std::uint8_t> bytes) {
    auto e = platform::TrafficOf(device, TrafficKind::Write);
    e.bytes = std::move(bytes);
    t.traffic.Record(std::move(e));
}

void Control(UnitTarget& t, const std::string& device, std::uint32_t code,
             std::vector<std::uint8_t> in) {
    auto e = platform::TrafficOf(device, TrafficKind::Control);
    e.code = code;
    e.bytes = std::move(in);
    t.traffic.Record(std::move(e));
}

void Tone(UnitTarget& t, double hz, std::uint64_t lengthMs, bool loop) {
    auto e = platform::TrafficOf("sound", TrafficKind::SoundStart);
    e.sound = {44100, 1, 16, lengthMs, loop, 0xFFFFFFFFU, hz};
    t.traffic.Record(std::move(e));
}

void Nothing(UnitTarget& /*t*/) {}

void RunSteps(const std::vector<UnitStep>& steps, UnitTarget& target) {
    std::ostringstream log;
    detail::Expectations expectations(target, log, {"t.ks", {}, false, {}});
    ui::HeadlessPresenter presenter;
    ui::Desktop desktop(presenter);
    for (const UnitStep& s : steps) {
        s.unit(target);
        ParseResult parsed = ParseScript(s.line, "t.ks");
        ASSERT_TRUE(parsed) << s.line << ": " << parsed.error().message;
        const Expectation* e = ExpectationOf(parsed->commands.front());
        ASSERT_NE(e, nullptr) << s.line;
        const platform::Result<void> held = expectations.Check(e->check, desktop);
        EXPECT_EQ(held ? "" : held.error(), s.failure) << s.line;
    }
}

TEST(UnitChecksTest, SentTakesTheBytesWrittenToThePortSinceTheLastCheck) {
    UnitTarget target;
    RunSteps(
        {
            {[](UnitTarget& t) {
                 Write(t, "COM7:", {0xFF, 0x73, 0x7D, 0xF0, 0x73});
             },
             R"(expect sent com7: "FF 73 7D F0 73")", ""},
            {Nothing, R"(expect sent COM7: "")", ""},
            {[](UnitTarget& t) {
                 Write(t, "COM7:", {0xFF, 0x6D});
                 Write(t, "COM7:", {0x01, 0x00, 0x6D});
                 Write(t, "COM1:", {0x55});
             },
             R"(expect sent COM7: "ff6d01006d")", ""},
            {[](UnitTarget& t) {
                 Write(t, "COM7:", {0xFF, 0x56, 0x00, 0x00, 0x56});
             },
             R"(expect sent COM7: "FF 73 7D F0 73")",
             "expected FF 73 7D F0 73 sent to COM7:, found FF 56 00 00 56 (sent FF 56 00 00 56: "
             "Version)"},
            // A failed check leaves the bytes for the next.
            {Nothing, R"(expect sent COM7: "FF 56 00 00 56")", ""},
            {Nothing, R"(expect sent COM7: "FF")", "expected FF sent to COM7:, found nothing"},
        },
        target);
    target.seesTraffic = false;
    RunSteps({{Nothing, R"(expect sent COM7: "FF")",
               "the traffic of COM7: is not available on this backend"}},
             target);
}

TEST(UnitChecksTest, ControlFindsARequestPastTheOneFoundBefore) {
    UnitTarget target;
    RunSteps(
        {
            {[](UnitTarget& t) {
                 Control(t, "PWM1:", 0x11, {});
                 Control(t, "PWM1:", 0x8011, {5, 0, 0, 0});
             },
             "expect control PWM1: VESK_PWM_IOCTL_SET_DUTY \"05 00 00 00\"", ""},
            {Nothing, "expect control PWM1: VESK_PWM_IOCTL_GET_DUTY",
             "expected the control request VESK_PWM_IOCTL_GET_DUTY to PWM1:, found no new "
             "control request to PWM1:"},
            {[](UnitTarget& t) {
                 Control(t, "NAT1:", 1, {});
                 Control(t, "PWM1:", 0x8011, {7, 0, 0, 0});
             },
             "expect control PWM1: 0x8011 \"05000000\"",
             "expected the control request 0x8011 to PWM1: with 05 00 00 00, found control "
             "VESK_PWM_IOCTL_SET_DUTY in 07 00 00 00"},
            {Nothing, "expect control nat1: VESK_NAVATT_IOCTL_MUTE_ON", ""},
        },
        target);
}

TEST(UnitChecksTest, FileIsPresentAbsentOrHoldsItsContent) {
    UnitTarget target;
    target.files["\\Mounted Volume\\Vesk\\calib.dat"] = "12 34\r\n";
    RunSteps(
        {
            {Nothing, R"(expect file "\Mounted Volume\Vesk\calib.dat" present)", ""},
            {Nothing, R"(expect file "\\Mounted Volume\\Vesk\\calib.dat" "12 34\r\n")", ""},
            {Nothing, R"(expect file "\Mounted Volume\Vesk\calib.dat" absent)",
             R"(expected the file "\\Mounted Volume\\Vesk\\calib.dat" absent, found it, 7 bytes)"},
            {Nothing, R"(expect file "\Mounted Volume\Vesk\calib.dat" "12 35")",
             R"(expected the file "\\Mounted Volume\\Vesk\\calib.dat" holding "12 35", found "12 34\r\n")"},
            {[](UnitTarget& t) { t.files.clear(); },
             R"(expect file "\Mounted Volume\Vesk\calib.dat" absent)", ""},
            {Nothing, R"(expect file "\Mounted Volume\Vesk\calib.dat" present)",
             R"(expected the file "\\Mounted Volume\\Vesk\\calib.dat" present, found none)"},
        },
        target);
}

TEST(UnitChecksTest, RegistryKeyIsPresentOrAbsent) {
    UnitTarget target;
    target.keys = {"Drivers\\Active\\12"};
    RunSteps(
        {
            {Nothing, R"(expect registry "Drivers\Active\12" present)", ""},
            {Nothing, R"(expect registry "Drivers\Active\12" absent)",
             R"(expected the key "Drivers\\Active\\12" absent, found it)"},
            {[](UnitTarget& t) { t.keys.clear(); },
             R"(expect registry "Drivers\Active\12" present)",
             R"(expected the key "Drivers\\Active\\12" present, found none)"},
        },
        target);
}

TEST(UnitChecksTest, SoundPlaysUntilStoppedOrRunOut) {
    UnitTarget target;
    RunSteps(
        {
            {Nothing, "expect sound silent", ""},
            {Nothing, "expect sound playing", "expected a sound playing, found silence"},
            {[](UnitTarget& t) { Tone(t, 1000.4, 50, true); }, "expect sound playing 1000", ""},
            {Nothing, "expect sound playing 1005 4",
             "expected a sound of 1005 Hz (within 4 Hz) playing, found one of 1000 Hz"},
            {Nothing, "expect sound silent", "expected silence, found a sound of 1000 Hz playing"},
            {[](UnitTarget& t) {
                 t.traffic.Record(platform::TrafficOf("sound", TrafficKind::SoundStop));
                 Tone(t, 500, 1000, false);
             },
             "expect sound playing 500 0", ""},
            // A clip played once ends on its own.
            {[](UnitTarget& t) { t.now += 1000; }, "expect sound silent", ""},
        },
        target);
}

TEST(UnitChecksTest, MalformedLinesSayWhatIsWrongBeforeAnythingRuns) {
    const std::pair<const char*, const char*> cases[] = {
        {R"(expect sent COM7:)", "expected: expect sent DEVICE \"HEX\""},
        {R"(expect sent COM77 "FF")", "the device must be a stream device's name such as COM7:"},
        {R"(expect sent COM7: "F")", "the bytes must be hex digits in pairs"},
        {R"(expect sent COM7: "F F")", "the bytes must be hex digits in pairs"},
        {R"(expect sent COM7: "GG")",
         "the bytes must be hex digits in pairs (\"FF 73 7D\"), not \"GG\""},
        {"expect control PWM1:", "expected: expect control DEVICE CODE [\"HEX\"]"},
        {"expect control PWM1: VESK_PWM_IOCTL_SET_DUTIES",
         "no control code \"VESK_PWM_IOCTL_SET_DUTIES\" of PWM1: (VESK_PWM_IOCTL_SET_AUTOMODE, "
         "VESK_PWM_IOCTL_GET_MAX, VESK_PWM_IOCTL_GET_DUTY, VESK_PWM_IOCTL_SET_DUTY, "
         "VESK_PHOTOSENSOR_IOCTL_GET_LEVEL)"},
        {"expect control COM7: SETUP", "(the device has no named codes: give a number)"},
        {"expect control PWM1: 0x80zz", "the code must be a number (0x8011) or a name"},
        {R"(expect file "\a" maybe)", "expected: expect file \"PATH\" present|absent|\"CONTENT\""},
        {R"(expect file "a\..\b" present)", "\"a\\\\..\\\\b\" is no path on the unit"},
        {R"(expect file "C:\a" absent)", "is no path on the unit"},
        {R"(expect registry "" absent)", "expect registry needs a key below HKEY_LOCAL_MACHINE"},
        {R"(expect registry "Drivers" gone)", "expected: expect registry \"KEY\" present|absent"},
        {"expect sound", "expected: expect sound playing [HZ [TOLERANCE]]|silent"},
        {"expect sound silent 100", "expected: expect sound playing [HZ [TOLERANCE]]|silent"},
        {"expect sound playing 0", "HZ must be 1 to 100000, not 0"},
        {"expect sound playing 1000 x", "TOLERANCE must be a whole number, not \"x\""},
    };
    for (const auto& [line, reason] : cases) {
        const ParseResult r = ParseScript(std::string("tap 1 1\n") + line, "t.ks");
        ASSERT_FALSE(r) << line;
        EXPECT_EQ(r.error().line, 2) << line;
        EXPECT_NE(r.error().message.find(reason), std::string::npos)
            << line << " -> " << r.error().message;
    }
    const ParseResult within = ParseScript("expect sent COM7: \"FF\" within 500", "t.ks");
    ASSERT_TRUE(within);
    EXPECT_EQ(ExpectationOf(within->commands.front())->withinMs, 500U);
}

}  // namespace
}  // namespace script::test
