// The console's "TouchPanel" page and its start-up calibration, on the
// virtual unit's calibration dialogue and clock.
#include "devices/touch_calibration.h"
#include "host/touch/calibration_record.h"
#include "test_support/calibration_captions.h"
#include "touch_console_fixture.h"

namespace touch_test {
namespace {

using console_id::kCalibration;
using console_id::kPageTouchPanel;
using console_id::kTouchTest;

constexpr char kOldCalibration[] = "CalibrationData=500,500 130,130 890,130 890,890 130,890\r\n";
using test_support::kCreating;
using test_support::kNotCreated;

std::string Record(int offset) {
    auto taps = host::touch::kCrosshairs;
    for (ui::Point& p : taps) {
        p = {p.x + offset, p.y + offset};
    }
    return host::touch::CalibrationRecord(taps);
}

struct Startup {
    const char* name;
    const char* delay;
    int foundAtTick;  // 0: never
};

TEST_F(ConsoleTest, WithoutACalibrationFileTheConsoleStartsWithTheCalibration) {
    const std::vector<Startup> cases = {
        {"written 2.5 s after", "2500", 3},
        {"written 1.5 s after (the unit's default)", "1500", 2},
        {"never written", "-1", 0},
    };
    for (const Startup& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        t->Dir("\\Mounted Volume\\Vesk").Toml(std::string("[touch]\ncalib_delay_ms = ") + c.delay);
        Load();
        std::optional<bool> consoleActive;
        steps().AddCall([&] {
            consoleActive = desktop.ActiveWindow() == console->m_hWnd;
            const auto info = desktop.Describe(desktop.ActiveWindow());
            EXPECT_EQ(info->screenRect, (ui::Rect{0, 0, ui::kScreenWidth, ui::kScreenHeight}));
        });
        StepTapCrosshairs(2);
        std::string afterCalibration;
        steps().AddCall([&] { afterCalibration = Caption(); });
        std::vector<std::string> captions;
        for (int tick = 1; tick <= 10; ++tick) {
            steps().AddWait(1000);
            steps().AddCall([&] { captions.push_back(Caption()); });
        }
        console->DoModal();

        EXPECT_EQ(consoleActive, false) << "the calibration comes first";
        EXPECT_EQ(afterCalibration, kCreating);
        ASSERT_EQ(captions.size(), 10U);
        for (int tick = 1; tick <= 10; ++tick) {
            const bool found = c.foundAtTick != 0 && tick >= c.foundAtTick;
            const bool givenUp = c.foundAtTick == 0 && tick >= 8;
            EXPECT_EQ(captions[static_cast<std::size_t>(tick - 1)], found     ? "Kestrin"
                                                                    : givenUp ? kNotCreated
                                                                              : kCreating)
                << "tick " << tick;
        }
        EXPECT_EQ(FileText(kCalibrationFilePath),
                  c.foundAtTick != 0 ? std::optional(Record(2)) : std::nullopt);
    }
}

struct Request {
    const char* name;
    bool present;
    const char* delay;
    std::optional<int> answer;  // the question's answer; none: no question
    bool calibrates;
};

TEST_F(ConsoleTest, StartCalibrationAsksBeforeReplacingTheFile) {
    const std::vector<Request> cases = {
        {"present, Cancel", true, "1500", ui::IDCANCEL, false},
        {"present, OK", true, "1500", ui::IDOK, true},
        // The start-up calibration writes at once; the file is then deleted.
        {"absent", false, "0", std::nullopt, true},
    };
    for (const Request& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        t->Dir("\\Mounted Volume\\Vesk").Toml(std::string("[touch]\ncalib_delay_ms = ") + c.delay);
        if (c.present) {
            t->File(kCalibrationFilePath, kOldCalibration);
        }
        Load();
        if (!c.present) {
            StepTapCrosshairs();
            steps().AddCall([&] { ASSERT_TRUE(platform::DeleteFile(kCalibrationFilePath)); });
        }
        AnswerBoxes(c.answer ? std::vector<int>{*c.answer} : std::vector<int>{});
        const int before = c.present ? 0 : 1;
        std::optional<std::string> fileDuringCalibration = "not run";
        StepSelectPage(kPageTouchPanel);
        StepClick(kCalibration);
        if (c.calibrates) {
            steps().AddCall([&] {
                EXPECT_NE(desktop.ActiveWindow(), console->m_hWnd);
                fileDuringCalibration = FileText(kCalibrationFilePath);
            });
            StepTapCrosshairs(-3);
        }
        std::string caption;
        std::optional<std::string> file;
        steps().AddWait(2000);
        steps().AddCall([&] {
            caption = Caption();
            file = FileText(kCalibrationFilePath);
        });
        console->DoModal();

        ASSERT_EQ(boxes.size(), c.answer ? 1U : 0U);
        if (!boxes.empty()) {
            EXPECT_EQ(boxes[0].text, "Would you like to start calibration? ");
            EXPECT_EQ(boxes[0].type, ui::MB_OKCANCEL | ui::MB_ICONEXCLAMATION);
        }
        EXPECT_EQ(panel->Completed(), before + (c.calibrates ? 1 : 0));
        if (c.calibrates) {
            EXPECT_EQ(fileDuringCalibration, std::nullopt) << "deleted before calibrating";
            EXPECT_EQ(file, Record(-3));
        } else {
            EXPECT_EQ(file, kOldCalibration);
        }
        EXPECT_EQ(caption, "Kestrin");
    }
}

TEST_F(ConsoleTest, TheTestButtonRunsTheTestWindowUntilADoubleTap) {
    t->File(kCalibrationFilePath, kOldCalibration);
    Load();
    StepSelectPage(kPageTouchPanel);
    StepClick(kTouchTest);
    std::optional<ui::WindowInfo> testWindow;
    steps().AddCall([&] { testWindow = desktop.Describe(desktop.ActiveWindow()); });
    steps().AddTap(7, 45);
    steps().AddCall([&] {
        EXPECT_EQ(desktop.Screen().GetPixel(7, 45), ui::MakeRgb(255, 255, 255));
        EXPECT_EQ(desktop.Screen().GetPixel(8, 45), ui::MakeRgb(0, 0, 0));
    });
    steps().AddWait(100);
    steps().AddTap(10, 48);
    steps().AddCall([&] {
        EXPECT_EQ(desktop.ActiveWindow(), console->m_hWnd);
        EXPECT_EQ(desktop.TopLevelWindows().size(), 1U);
    });
    console->DoModal();
    ASSERT_TRUE(testWindow.has_value());
    EXPECT_NE(testWindow->hwnd, console->m_hWnd);
    EXPECT_EQ(testWindow->screenRect, (ui::Rect{0, 0, ui::kScreenWidth, ui::kScreenHeight}));
}

}  // namespace
}  // namespace touch_test
