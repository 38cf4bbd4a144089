// The "LCD" page: the duty spin and the eight full-screen patterns.
#include <optional>
#include <string>
#include <vector>

#include "app/pattern_dlg.h"
#include "console_fixture.h"
#include "host/controls/controls_component.h"
#include "host/controls/pwm_driver.h"

namespace kestrin_test {
namespace {

struct DutyStep {
    std::optional<std::string> typed;  // put into the duty edit first
    int delta;                         // +1 up, -1 down
    std::optional<int> sent;           // sent to the driver, or nothing
    std::string shown;
};

TEST_F(ConsoleTest, DutyStepsStayInTheDriversRange) {
    StartUnit("[pwm]\nsteps = 10\n");
    const std::vector<DutyStep> steps = {
        {std::nullopt, +1, std::nullopt, "9"},  // at the top already
        {std::nullopt, -1, 8, "8"},
        {std::nullopt, -1, 7, "7"},
        {"1", -1, 0, "0"},
        {std::nullopt, -1, std::nullopt, "0"},  // at the bottom
        {"abc", +1, std::nullopt, ""},          // not a number: out of range
        {"3", +1, 4, "4"},                      // typing sends nothing; the step starts from it
        {"12", -1, std::nullopt, ""},           // above the range
    };
    StepCall([this] { TapTab(kPageLcd); });
    std::vector<std::int32_t> log = {9};  // the start-up's
    for (const DutyStep& s : steps) {
        StepCall([this, s, &log] {
            if (s.typed) {
                console->SetDlgItemText(kDuty, *s.typed);
            }
            const ui::Rect r = Info(kDutySpin).screenRect;
            const int x = (r.left + r.right) / 2;
            const int y = s.delta > 0 ? r.top + r.Height() / 4 : r.bottom - r.Height() / 4;
            desktop->Tap(x, y);
            if (s.sent) {
                log.push_back(*s.sent);
            }
        });
        StepCall([this, s, &log] {
            SCOPED_TRACE(s.typed.value_or("-") + (s.delta > 0 ? " up" : " down"));
            EXPECT_EQ(host::controls::PwmOf(Unit())->DutyLog(), log);
            if (!s.shown.empty()) {
                EXPECT_EQ(Text(kDuty), s.shown);
            }
        });
    }
    RunConsole();
}

// Without a driver the range is 0 to -1: no step is ever accepted.
TEST_F(ConsoleTest, NoDutyStepWithoutTheDriver) {
    StartUnit("[pwm]\nabsent = true\n");
    RecordMessageBoxes();
    StepCall([this] { TapTab(kPageLcd); });
    for (int y : {2, -2}) {
        StepCall([this, y] {
            const ui::Rect r = Info(kDutySpin).screenRect;
            desktop->Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2 - y);
        });
    }
    StepCall([this] {
        EXPECT_EQ(boxes.size(), 6U);  // the start-up's only
    });
    RunConsole();
}

// "PWM1:" there but one of its calls failing: only switching automatic mode
// off has a message, once, at the opening; the read-outs go on quietly.
TEST_F(ConsoleTest, BacklightCallsThatFail) {
    struct Case {
        const char* name;
        const char* failing;
        std::vector<std::string> boxes;
        int upper;  // of the spin's range
        std::string duty;
    };
    const std::vector<Case> cases = {
        {"set automatic mode", "ioctl:0x8002", {"SET_AUTOMODE failed."}, 9, "9"},
        {"get the number of steps", "ioctl:0x10", {}, -1, "3"},
        {"get the duty", "ioctl:0x11", {}, 9, "-1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        StartUnit(
            "[pwm]\nsteps = 10\nduty = 3\nphoto_level = 77\nautomode = true\n"
            "[pwm.fail]\n\"" +
            std::string(c.failing) + "\" = 31\n");
        RecordMessageBoxes();
        StepWait(10000);
        StepCall([this, &c] {
            int lower = 0;
            int upper = 0;
            static_cast<ui::CSpinButtonCtrl*>(console->GetDlgItem(kDutySpin))
                ->GetRange(lower, upper);
            EXPECT_EQ(lower, 0);
            EXPECT_EQ(upper, c.upper);
            EXPECT_EQ(Text(kDuty), c.duty);
            EXPECT_EQ(Text(kPhoto), "77");
        });
        RunConsole();
        EXPECT_EQ(BoxTexts(), c.boxes);
        for (const auto& box : boxes) {
            EXPECT_EQ(box.type, ui::MB_OK);
        }
    }
}

constexpr ui::Rgb kWhite = ui::MakeRgb(255, 255, 255);
constexpr ui::Rgb kBlack = ui::MakeRgb(0, 0, 0);

struct Pattern {
    int radio;
    std::vector<ui::Rgb> bars;  // left to right, equal widths
};

TEST_F(ConsoleTest, PatternsArePixelExact) {
    std::vector<ui::Rgb> grey;
    std::vector<ui::Rgb> blue;
    for (int i = 0; i < 16; ++i) {
        const auto level = static_cast<std::uint8_t>(17 * i);
        grey.push_back(ui::MakeRgb(level, level, level));
        blue.push_back(ui::MakeRgb(0, 0, level));
    }
    const std::vector<Pattern> patterns = {
        {1023, {ui::MakeRgb(255, 0, 0)}},
        {1024, {ui::MakeRgb(0, 255, 0)}},
        {1025, {ui::MakeRgb(0, 0, 255)}},
        {1026, {kWhite}},
        {1027, {kBlack}},
        {1028,
         {kWhite, ui::MakeRgb(255, 255, 0), ui::MakeRgb(0, 255, 255), ui::MakeRgb(0, 255, 0),
          ui::MakeRgb(255, 0, 255), ui::MakeRgb(255, 0, 0), ui::MakeRgb(0, 0, 255), kBlack}},
        {1029, grey},
        {1030, blue},
    };
    StartUnit();
    StepCall([this] { TapTab(kPageLcd); });
    for (const Pattern& p : patterns) {
        StepTap(p.radio);
        StepTap(kLcdExec);
        StepCall([this, &p] {
            SCOPED_TRACE(p.radio);
            ASSERT_NE(desktop->ActiveWindow(), ConsoleHwnd());
            const ui::Framebuffer& screen = desktop->Screen();
            const int width = 320 / static_cast<int>(p.bars.size());
            for (std::size_t i = 0; i < p.bars.size(); ++i) {
                const int left = width * static_cast<int>(i);
                for (const ui::Point at : {ui::Point{left, 0}, ui::Point{left + width - 1, 239},
                                           ui::Point{left + width / 2, 120}}) {
                    EXPECT_EQ(screen.GetPixel(at.x, at.y), p.bars[i])
                        << "bar " << i << " at " << at.x << "," << at.y;
                }
            }
            // Only the pen-up ends it.
            desktop->PenDown(300, 200);
        });
        StepCall([this] {
            EXPECT_NE(desktop->ActiveWindow(), ConsoleHwnd());
            desktop->PenUp(300, 200);
        });
        StepCall([this] { EXPECT_EQ(desktop->ActiveWindow(), ConsoleHwnd()); });
    }
    RunConsole();
}

}  // namespace
}  // namespace kestrin_test
