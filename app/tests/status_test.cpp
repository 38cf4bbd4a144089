// The 500 ms status read-out: battery voltage and photo sensor level, on
// every page and under modal windows, and its messages while "PWM1:" fails.
#include <string>
#include <vector>

#include "console_fixture.h"
#include "diag/diag_result_dlg.h"

namespace kestrin_test {
namespace {

const std::string kOpenFailed = "CreateFile(PWM1:) failed.";
const std::string kAutomodeFailed = "SET_AUTOMODE failed.";
const std::string kLevelFailed = "VESK_PHOTOSENSOR_IOCTL_GET_LEVEL error!!";

TEST_F(ConsoleTest, BatteryWithoutAPowerStatus) {
    StartUnit("[power]\navailable = false\n");
    StepWait(500);
    StepCall([this] { EXPECT_EQ(Text(kBattery), "----"); });
    RunConsole();
}

// Also while the result window or the key check window is open.
TEST_F(ConsoleTest, ReadOutGoesOnUnderModalWindows) {
    StartUnit("[pwm]\nphoto_level = 100\n[dsk]\nidentify = \"03\"\n");
    for (int radio : {kDiagStorage, kDiagKey}) {
        StepCall([this] { TapTab(kPageDiag); });
        StepTap(radio);
        StepTap(kDiagExec);
        StepCall([this, radio] {
            EXPECT_NE(desktop->ActiveWindow(), ConsoleHwnd());
            Unit().Set("pwm.photo_level", std::to_string(200 + radio));
        });
        StepWait(500);
        StepCall([this, radio] {
            EXPECT_EQ(Text(kPhoto), std::to_string(200 + radio));
            desktop->KeyDown(ui::Key::Escape);
        });
        StepCall([this] { EXPECT_EQ(desktop->ActiveWindow(), ConsoleHwnd()); });
    }
    RunConsole();
}

// "PWM1:" missing: start-up tells each failure as it happens; the read-out
// tells each of its messages once, however long the failure lasts.
TEST_F(ConsoleTest, MissingBacklightMessagesDoNotPileUp) {
    StartUnit("[pwm]\nabsent = true\n");
    RecordMessageBoxes();
    StepCall([this] {
        const std::vector<std::string> startUp = {kOpenFailed, kAutomodeFailed,
                                                  kOpenFailed, kAutomodeFailed,
                                                  kOpenFailed, kAutomodeFailed};
        EXPECT_EQ(BoxTexts(), startUp);
        EXPECT_EQ(Text(kDuty), "-1");
        boxes.clear();
    });
    StepWait(10000);
    StepCall([this] {
        EXPECT_EQ(BoxTexts(),
                  (std::vector<std::string>{kOpenFailed, kAutomodeFailed, kLevelFailed}));
        EXPECT_EQ(boxes.back().type, ui::MB_OK | ui::MB_ICONINFORMATION);
        EXPECT_EQ(boxes.front().type, ui::MB_OK);
        EXPECT_EQ(Text(kPhoto), "-1");
        EXPECT_EQ(Text(kDuty), "-1");
    });
    RunConsole();
}

// A good read re-arms the photo sensor's message.
TEST_F(ConsoleTest, PhotoLevelMessageComesBackAfterARecovery) {
    StartUnit("[pwm]\nphoto_level = 321\n[pwm.fail]\n\"ioctl:0x13\" = 31\n");
    RecordMessageBoxes();
    StepWait(5000);
    StepCall([this] {
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{kLevelFailed});
        EXPECT_EQ(Text(kPhoto), "-1");
        Unit().FailDevice("PWM1:", "ioctl:0x13", 0);
    });
    StepWait(500);
    StepCall([this] {
        EXPECT_EQ(Text(kPhoto), "321");
        Unit().FailDevice("PWM1:", "ioctl:0x13", 31);
    });
    StepWait(5000);
    StepCall([this] {
        EXPECT_EQ(BoxTexts(), (std::vector<std::string>{kLevelFailed, kLevelFailed}));
    });
    RunConsole();
}

}  // namespace
}  // namespace kestrin_test
