// The "Diag" page: which check "EXEC" opens, and the radio muting switch.
#include <string>
#include <vector>

#include "console_fixture.h"
#include "host/controls/controls_component.h"
#include "host/controls/nat_driver.h"

namespace kestrin_test {
namespace {

struct Selection {
    const char* name;
    std::vector<int> checked;  // set directly, without the group rule
    std::string caption;
};

TEST_F(ConsoleTest, ExecOpensTheCheckedChoiceLastOneWins) {
    StartUnit("[dsk]\nidentify = \"03\"\n");  // no "GPS1:" and no "COM7:" here
    RecordMessageBoxes();
    const std::vector<Selection> cases = {
        {"NOR", {kDiagNor}, "NOR Flash Test"},
        {"RDS", {kDiagRds}, "RDS check"},
        {"STORAGE", {kDiagStorage}, "STORAGE check"},
        {"none", {}, "No Select!!"},
        {"NOR and GPS", {kDiagNor, kDiagGps}, "GPS check"},
        {"NOR, RDS and STORAGE", {kDiagNor, kDiagRds, kDiagStorage}, "STORAGE check"},
        {"STORAGE before NOR in id order", {kDiagStorage, kDiagNor}, "STORAGE check"},
        {"KEY goes before all", {kDiagStorage, kDiagKey, kDiagNor}, "Key check"},
        {"KEY alone", {kDiagKey}, "Key check"},
    };
    StepCall([this] { TapTab(kPageDiag); });
    for (const Selection& c : cases) {
        StepCall([this, &c] {
            for (int id : {kDiagNor, kDiagRds, kDiagGps, kDiagKey, kDiagStorage}) {
                Button(id)->SetCheck(ui::BST_UNCHECKED);
            }
            for (int id : c.checked) {
                Button(id)->SetCheck(ui::BST_CHECKED);
            }
            TapControl(kDiagExec);
        });
        StepCall([this, &c] {
            SCOPED_TRACE(c.name);
            // One window over the console: the key check bypasses the result window.
            EXPECT_EQ(desktop->TopLevelWindows().size(), 2U);
            EXPECT_EQ(desktop->Describe(desktop->ActiveWindow())->text.substr(0, c.caption.size()),
                      c.caption);
            desktop->KeyDown(ui::Key::Escape);
        });
        StepCall([this] { EXPECT_EQ(desktop->ActiveWindow(), ConsoleHwnd()); });
    }
    RunConsole();
}

TEST_F(ConsoleTest, MutingRadiosSwitchTheDevice) {
    StartUnit("[nat]\nlevel = 0\n");
    StepCall([this] { TapTab(kPageDiag); });
    StepTap(kMuteOn);
    StepTap(kMuteOff);
    StepTap(kMuteOn);
    RunConsole();
    std::vector<host::unit::DWORD> switches;
    for (host::unit::DWORD code : host::controls::NatOf(Unit())->CodeLog()) {
        if (code != VESK_NAVATT_IOCTL_GET_LEVEL) {
            switches.push_back(code);
        }
    }
    EXPECT_EQ(switches,
              (std::vector<host::unit::DWORD>{VESK_NAVATT_IOCTL_MUTE_ON, VESK_NAVATT_IOCTL_MUTE_OFF,
                                              VESK_NAVATT_IOCTL_MUTE_ON}));
}

}  // namespace
}  // namespace kestrin_test
