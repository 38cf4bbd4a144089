// The virtual unit's calibration: the dialogue, the delayed calib.dat and its
// unit.toml key.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "devices/touch_calibration.h"
#include "host/touch/calibration_record.h"
#include "host/touch/touch_component.h"
#include "host/touch/touch_panel.h"
#include "host/unit/clock.h"
#include "host/unit/scheduler.h"
#include "host/unit/test_unit.h"
#include "platform/api.h"
#include "ui/desktop.h"
#include "ui/headless_presenter.h"
#include "ui/manual_clock.h"

namespace host::touch {
namespace {

TEST(CalibrationRecordTest, ReadingsSpanTheScreenInTenBits) {
    struct Case {
        ui::Point screen;
        ui::Point reading;
    } cases[] = {
        {{0, 0}, {0, 0}},           {{160, 120}, {512, 512}}, {{319, 239}, {1020, 1019}},
        {{320, 240}, {1023, 1023}}, {{-5, -1}, {0, 0}},       {{5000, 3000}, {1023, 1023}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PanelReading(c.screen), c.reading) << c.screen.x << "," << c.screen.y;
    }
    EXPECT_EQ(CalibrationRecord(kCrosshairs),
              "CalibrationData=512,512 128,128 896,128 896,896 128,896\r\n");
}

class TouchPanelTest : public ::testing::Test {
  protected:
    void Load(const std::string& toml = "") {
        t.Toml(toml).Dir("\\Mounted Volume\\Vesk");
        ASSERT_TRUE(t.Load()) << t.error();
        panel = PanelOf(t.unit());
        ASSERT_NE(panel, nullptr);
        platform::Services s = t.unit().Services();
        s.clock = &clock;
        s.touch = TouchOf(t.unit());
        services.emplace(s);
    }

    // Moves the unit's clock and lets its threads settle.
    void AdvanceUnit(std::uint64_t ms) {
        auto& scheduler = t.unit().scheduler();
        scheduler.AdvanceTo(scheduler.NowMs() + ms);
        ASSERT_TRUE(scheduler.WaitQuiescent(std::chrono::seconds(10)));
    }

    std::optional<std::string> Calibration() {
        std::ifstream in(*t.unit().HostPath(kCalibrationFilePath), std::ios::binary);
        if (!in) {
            return std::nullopt;
        }
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // Steps that tap every crosshair, each a little off its centre.
    std::array<ui::Point, kCrosshairCount> TapAll(int dx = 3, int dy = -2) {
        std::array<ui::Point, kCrosshairCount> taps{};
        for (std::size_t i = 0; i < kCrosshairs.size(); ++i) {
            taps[i] = {kCrosshairs[i].x + dx, kCrosshairs[i].y + dy};
            presenter.AddTap(taps[i].x, taps[i].y);
        }
        return taps;
    }

    unit::TestUnit t{{TouchComponentKind()}};
    TouchPanel* panel = nullptr;
    ui::ManualClock clock{30000};
    std::optional<platform::ScopedServices> services;
    ui::HeadlessPresenter presenter{&clock};
    ui::Desktop desktop{presenter, &clock};
};

TEST_F(TouchPanelTest, TheDialogueCoversTheScreenAndShowsOneCrosshairAtATime) {
    Load();
    std::vector<ui::Point> shown;
    for (std::size_t i = 0; i < kCrosshairs.size(); ++i) {
        presenter.AddCall([&] {
            const auto info = desktop.Describe(desktop.ActiveWindow());
            ASSERT_TRUE(info.has_value());
            EXPECT_EQ(info->screenRect, (ui::Rect{0, 0, ui::kScreenWidth, ui::kScreenHeight}));
            const ui::Framebuffer& screen = desktop.Screen();
            for (const ui::Point c : kCrosshairs) {
                if (screen.GetPixel(c.x, c.y) == ui::MakeRgb(0, 0, 0)) {
                    shown.push_back(c);
                }
            }
        });
        presenter.AddTap(kCrosshairs[i].x, kCrosshairs[i].y);
    }
    EXPECT_EQ(platform::TouchCalibrate(), platform::TRUE);
    EXPECT_EQ(shown, std::vector<ui::Point>(kCrosshairs.begin(), kCrosshairs.end()));
}

TEST_F(TouchPanelTest, TheFileHoldsTheTapsAndComesAfterTheDelay) {
    Load("[touch]\ncalib_delay_ms = 2500\n");
    const auto taps = TapAll();
    EXPECT_EQ(platform::TouchCalibrate(), platform::TRUE);
    EXPECT_EQ(panel->Completed(), 1);
    AdvanceUnit(2499);
    EXPECT_EQ(Calibration(), std::nullopt);
    AdvanceUnit(1);
    EXPECT_EQ(Calibration(), CalibrationRecord(taps));
}

struct Session {
    const char* name;
    std::vector<ui::Point> before;  // taps before the crosshairs in order
    int crosshairs;                 // how many crosshairs are then tapped
    int offset;                     // how far off their centres, both axes
    bool completes;
};

TEST_F(TouchPanelTest, OnlyTapsNearTheCrosshairCountAndEscCancels) {
    Load("[touch]\ncalib_delay_ms = 0\n");
    const ui::Point farOff{kCrosshairs[0].x + kCrosshairReach + 1, kCrosshairs[0].y};
    const std::vector<Session> cases = {
        {"all five", {}, 5, 0, true},
        {"all five, at the edge of their reach", {}, 5, kCrosshairReach, true},
        {"stray taps first", {farOff, {0, 0}}, 5, 0, true},
        {"four, then Esc", {}, 4, 0, false},
        {"Esc at once", {}, 0, 0, false},
    };
    for (const Session& c : cases) {
        SCOPED_TRACE(c.name);
        if (Calibration()) {
            ASSERT_TRUE(platform::DeleteFile(kCalibrationFilePath));
        }
        for (const ui::Point p : c.before) {
            presenter.AddTap(p.x, p.y);
        }
        std::array<ui::Point, kCrosshairCount> taps{};
        for (std::size_t i = 0; i < static_cast<std::size_t>(c.crosshairs); ++i) {
            taps[i] = {kCrosshairs[i].x + c.offset, kCrosshairs[i].y - c.offset};
            presenter.AddTap(taps[i].x, taps[i].y);
        }
        if (!c.completes) {
            presenter.AddKey(ui::Key::Escape);
        }
        platform::SetLastError(0);
        EXPECT_EQ(platform::TouchCalibrate(), c.completes ? platform::TRUE : platform::FALSE);
        EXPECT_EQ(platform::GetLastError(),
                  c.completes ? platform::ERROR_SUCCESS : platform::ERROR_OPERATION_ABORTED);
        presenter.ClearSteps();  // the last pen-up, after the dialogue ended
        AdvanceUnit(60000);
        EXPECT_EQ(Calibration(),
                  c.completes ? std::optional(CalibrationRecord(taps)) : std::nullopt);
    }
}

TEST_F(TouchPanelTest, TheDelayComesFromTheUnitAndANegativeOneNeverWrites) {
    Load("[touch]\ncalib_delay_ms = -1\n");
    struct Case {
        const char* value;
        std::uint64_t absentAfter;  // still absent after this many ms
        std::optional<std::uint64_t> presentAfter;
    } cases[] = {
        {"-1", 24ULL * 3600 * 1000, std::nullopt},
        {"0", 0, std::nullopt},
        {"1500", 1499, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        if (Calibration()) {
            ASSERT_TRUE(platform::DeleteFile(kCalibrationFilePath));
        }
        ASSERT_EQ(t.unit().Set("touch.calib_delay_ms", c.value), std::nullopt);
        TapAll();
        ASSERT_EQ(platform::TouchCalibrate(), platform::TRUE);
        const bool immediate = std::string(c.value) == "0";
        EXPECT_EQ(Calibration().has_value(), immediate);
        if (immediate) {
            continue;
        }
        AdvanceUnit(c.absentAfter);
        EXPECT_EQ(Calibration(), std::nullopt);
        if (c.presentAfter) {
            AdvanceUnit(*c.presentAfter);
            EXPECT_NE(Calibration(), std::nullopt);
        }
    }
}

TEST_F(TouchPanelTest, TheLatestCalibrationReplacesAWriteStillWaiting) {
    Load("[touch]\ncalib_delay_ms = 2000\n");
    TapAll(0, 0);
    ASSERT_EQ(platform::TouchCalibrate(), platform::TRUE);
    AdvanceUnit(1000);
    const auto second = TapAll(5, 5);
    ASSERT_EQ(platform::TouchCalibrate(), platform::TRUE);
    AdvanceUnit(1500);  // the first would have been written by now
    EXPECT_EQ(Calibration(), std::nullopt);
    AdvanceUnit(500);
    EXPECT_EQ(Calibration(), CalibrationRecord(second));
    EXPECT_EQ(panel->Completed(), 2);
}

TEST_F(TouchPanelTest, AFileThatCannotBeWrittenLeavesADebugLine) {
    Load("[touch]\ncalib_delay_ms = 100\n");
    ASSERT_EQ(t.unit().FailKernel(std::string("createfile:") + kCalibrationFilePath,
                                  platform::ERROR_ACCESS_DENIED),
              "");
    TapAll();
    ASSERT_EQ(platform::TouchCalibrate(), platform::TRUE);
    AdvanceUnit(100);
    EXPECT_EQ(Calibration(), std::nullopt);
    const auto lines = t.unit().DebugLines();
    ASSERT_EQ(lines.size(), 1U);
    EXPECT_NE(lines[0].find("calib.dat errcode=0x5"), std::string::npos) << lines[0];
}

TEST_F(TouchPanelTest, WithoutAScreenOnTheThreadThereIsNoCalibration) {
    Load();
    platform::BOOL result = platform::TRUE;
    platform::DWORD error = 0;
    std::thread other([&] {
        result = panel->TouchCalibrate();
        error = platform::GetLastError();
    });
    other.join();
    EXPECT_EQ(result, platform::FALSE);
    EXPECT_EQ(error, platform::ERROR_NOT_SUPPORTED);
    EXPECT_EQ(panel->Completed(), 0);
}

TEST(TouchComponentTest, TheDelayKeyIsCheckedLikeEveryOther) {
    struct Case {
        const char* toml;
        bool loads;
        std::int64_t delay;
    } cases[] = {
        {"", true, kDefaultCalibrationDelayMs},
        {"[touch]\ncalib_delay_ms = -1\n", true, -1},
        {"[touch]\ncalib_delay_ms = 86400000\n", true, 86400000},
        {"[touch]\ncalib_delay_ms = 86400001\n", false, 0},
        {"[touch]\ncalib_delay_ms = \"soon\"\n", false, 0},
        {"[touch]\ndelay = 5\n", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.toml);
        unit::TestUnit t({TouchComponentKind()});
        t.Toml(c.toml);
        ASSERT_EQ(t.Load(), c.loads) << t.error();
        if (!c.loads) {
            EXPECT_NE(t.error().find("touch."), std::string::npos) << t.error();
            continue;
        }
        ASSERT_NE(PanelOf(t.unit()), nullptr);
        EXPECT_EQ(PanelOf(t.unit())->CalibrationDelay(), c.delay);
        EXPECT_EQ(TouchOf(t.unit()), PanelOf(t.unit()));
        EXPECT_NE(t.unit().Set("touch.calib_delay_ms", "later"), std::nullopt);
        EXPECT_EQ(PanelOf(t.unit())->CalibrationDelay(), c.delay);
    }
}

}  // namespace
}  // namespace host::touch
