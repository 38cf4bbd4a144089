// The console's start-up: what shows first, the initial choices, logging
// off, the early end when the status timer cannot be set, and the
// calibration check; and the console's refusal to close.
#include <string>
#include <vector>

#include "console_fixture.h"
#include "host/controls/controls_component.h"
#include "host/controls/log_driver.h"
#include "host/controls/pwm_driver.h"

namespace kestrin_test {
namespace {

const std::string kIcmrLine = "ICMR:04000d00\r\n";

TEST_F(ConsoleTest, StartsFullScreenOnTheVerPage) {
    StartUnit();
    RecordMessageBoxes();
    StepCall([this] {
        const auto window = desktop->Describe(ConsoleHwnd());
        EXPECT_EQ(window->text, "Kestrin");
        EXPECT_EQ(window->screenRect, (ui::Rect{0, 0, 320, 240}));
        EXPECT_EQ(VisibleControls(),
                  std::set<int>(PageControls()[0].begin(), PageControls()[0].end()));
        EXPECT_TRUE(Info(kTab).visible);
        auto* tab = static_cast<ui::CTabCtrl*>(console->GetDlgItem(kTab));
        EXPECT_EQ(tab->GetItemCount(), 7);
        EXPECT_EQ(tab->GetCurSel(), 0);
        EXPECT_EQ(console->GetIcon(ui::TRUE), 128U);
        EXPECT_EQ(console->GetIcon(ui::FALSE), 128U);
        for (int id : {kDiagNor, 1023, 1037, kMuteOff}) {
            EXPECT_EQ(Info(id).check, ui::BST_CHECKED) << id;
        }
        for (int id : {kDiagRds, kDiagGps, kDiagKey, kDiagStorage, kMuteOn, 1024, 1030, 1038}) {
            EXPECT_EQ(Info(id).check, ui::BST_UNCHECKED) << id;
        }
    });
    EXPECT_EQ(RunConsole(), ui::IDCANCEL);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{});
    EXPECT_EQ(Unit().DebugLines(), std::vector<std::string>{kIcmrLine});
    EXPECT_TRUE(host::controls::LogOf(Unit())->LoggingStopped());
    EXPECT_EQ(touch.calls, 0);
}

// The close box, the caption's OK box and Enter ask for the power switch
// with OK and Cancel and the exclamation icon, under the program's name.
TEST_F(ConsoleTest, CloseAndOkAskWithTheExclamationIcon) {
    StartUnit();
    RecordMessageBoxes();
    StepCall([this] {
        const ui::Rect r = *desktop->CloseBoxRect(ConsoleHwnd());
        desktop->Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    });
    StepCall([this] {
        const ui::Rect r = *desktop->OkBoxRect(ConsoleHwnd());
        desktop->Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    });
    StepCall([this] { desktop->KeyDown(ui::Key::Enter); });
    StepCall([this] { EXPECT_EQ(desktop->ActiveWindow(), ConsoleHwnd()); });
    RunConsole();
    ASSERT_EQ(boxes.size(), 3U);
    for (const auto& box : boxes) {
        EXPECT_EQ(box.type, ui::MB_OKCANCEL | ui::MB_ICONEXCLAMATION);
        EXPECT_EQ(box.caption, "Kestrin");
    }
}

TEST_F(ConsoleTest, MutingStateAtStart) {
    struct Case {
        const char* name;
        std::string toml;
        int checked;
    };
    const std::vector<Case> cases = {
        {"off", "[nat]\nlevel = 0\n", kMuteOff},
        {"on", "[nat]\nlevel = 1\n", kMuteOn},
        {"any non-zero level", "[nat]\nlevel = 7\n", kMuteOn},
        {"level cannot be read", "[nat]\nabsent = true\n", kMuteOn},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        StartUnit(c.toml);
        RecordMessageBoxes();
        StepCall([this, &c] {
            EXPECT_EQ(Info(c.checked).check, ui::BST_CHECKED);
            EXPECT_EQ(Info(c.checked == kMuteOn ? kMuteOff : kMuteOn).check, ui::BST_UNCHECKED);
        });
        RunConsole();
    }
}

TEST_F(ConsoleTest, LoggingIsSwitchedOffAndEachFailureIsADebugLine) {
    struct Case {
        const char* name;
        std::string toml;
        std::vector<std::string> lines;
        bool stopped;
    };
    const std::vector<Case> cases = {
        {"no driver", "[log]\nabsent = true\n", {kIcmrLine, "LOG:CreateFile failed!\r\n"}, false},
        {"refused",
         "[log]\nrefuse = true\n",
         {kIcmrLine, "LOG:VESK_LOG_IOCTL_LOGGING_DISABLE failed!\r\n"},
         false},
        {"close fails",
         "[log.fail]\nclose = 5\n",
         {kIcmrLine, "LOG:CloseHandle failed!\r\n"},
         true},
        {"refused and close fails",
         "[log]\nrefuse = true\n[log.fail]\nclose = 5\n",
         {kIcmrLine, "LOG:VESK_LOG_IOCTL_LOGGING_DISABLE failed!\r\n",
          "LOG:CloseHandle failed!\r\n"},
         false},
        {"any non-zero answer is success", "[log]\nresult = 2\n", {kIcmrLine}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        StartUnit(c.toml);
        RunConsole();
        EXPECT_EQ(Unit().DebugLines(), c.lines);
        EXPECT_EQ(host::controls::LogOf(Unit())->LoggingStopped(), c.stopped);
    }
}

// Without its status timer the console opens but does nothing further: no
// texts, no pages, no choices, no backlight.
TEST_F(ConsoleTest, StartUpEndsWhenTheStatusTimerCannotBeSet) {
    StartUnit();
    desktop->SetTimerFailureHook([this](ui::HWND hwnd, ui::UINT_PTR id) {
        return hwnd == ConsoleHwnd() && id == kStatusTimer;
    });
    RecordMessageBoxes();
    StepCall([this] {
        EXPECT_EQ(Text(kSystemVersion), "");
        EXPECT_EQ(Text(kFactoryCode), "");
        EXPECT_EQ(static_cast<ui::CTabCtrl*>(console->GetDlgItem(kTab))->GetItemCount(), 0);
        EXPECT_EQ(Info(kDiagNor).check, ui::BST_UNCHECKED);
        EXPECT_EQ(Info(1023).check, ui::BST_UNCHECKED);
        // The buttons that read the choices still work without them.
        console->PostMessage(ui::WM_COMMAND, ui::MAKEWPARAM(kDiagExec, ui::BN_CLICKED));
    });
    StepCall([this] {
        EXPECT_EQ(desktop->Describe(desktop->ActiveWindow())->text, "No Select!!");
        desktop->KeyDown(ui::Key::Escape);
    });
    StepCall(
        [this] { console->PostMessage(ui::WM_COMMAND, ui::MAKEWPARAM(kLcdExec, ui::BN_CLICKED)); });
    StepCall([this] { desktop->Tap(100, 100); });
    StepWait(2000);
    StepCall([this] { EXPECT_EQ(Text(kBattery), ""); });
    EXPECT_EQ(RunConsole(), ui::IDCANCEL);
    EXPECT_EQ(Unit().DebugLines(),
              (std::vector<std::string>{kIcmrLine, "SetTimer failed!::OnInitDialog\r\n"}));
    EXPECT_TRUE(host::controls::PwmOf(Unit())->DutyLog().empty());
    EXPECT_TRUE(host::controls::PwmOf(Unit())->Automode());
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{});
}

TEST_F(ConsoleTest, CalibrationRunsAtStartOnlyWithoutCalibDat) {
    // With the file: nothing happens, the caption stays.
    StartUnit();
    StepWait(10000);
    StepCall([this] { EXPECT_EQ(desktop->Describe(ConsoleHwnd())->text, "Kestrin"); });
    RunConsole();
    EXPECT_EQ(touch.calls, 0);

    Restart();
    unitDir->Dir("\\Mounted Volume\\Vesk").Dir("\\Mounted Volume2");
    Start();
    StepCall([this] {
        EXPECT_EQ(touch.calls, 1);
        EXPECT_EQ(desktop->Describe(ConsoleHwnd())->text, "Kestrin -- Creating calib.dat.");
    });
    RunConsole();
}

TEST_F(ConsoleTest, BacklightStartsAtItsHighestStep) {
    StartUnit("[pwm]\nsteps = 10\nduty = 3\nautomode = true\n");
    StepCall([this] {
        EXPECT_EQ(Text(kDuty), "9");
        int lower = 0;
        int upper = 0;
        static_cast<ui::CSpinButtonCtrl*>(console->GetDlgItem(kDutySpin))->GetRange(lower, upper);
        EXPECT_EQ(lower, 0);
        EXPECT_EQ(upper, 9);
    });
    RunConsole();
    EXPECT_EQ(host::controls::PwmOf(Unit())->DutyLog(), std::vector<std::int32_t>{9});
    EXPECT_EQ(host::controls::PwmOf(Unit())->Duty(), 9);
    EXPECT_FALSE(host::controls::PwmOf(Unit())->Automode());
}

}  // namespace
}  // namespace kestrin_test
