// The console on a test unit: the unit holds what the console reads at
// start-up unless a test says otherwise, and the console runs modally with
// the test's steps inside it (then Esc, its cancel command, ends it).
#pragma once

#include <set>
#include <string>
#include <vector>

#include "app/console_dlg.h"
#include "app/console_ids.h"
#include "test_support/unit_ui_fixture.h"

namespace kestrin_test {

using namespace console_id;

// The controls of each page, by tab index.
inline const std::vector<std::vector<int>>& PageControls() {
    static const std::vector<std::vector<int>> pages = {
        {1057, 1009, 1044, 1002, 1045, 1003},
        {1100, 1101},
        {1008, 1010, 1017, 1018, 1019, 1021, 1004, 1059, 1020, 1016, 1050, 1051, 1052},
        {1046, 1096},
        {1022, 1023, 1024, 1025, 1026, 1027, 1028, 1029, 1030, 1005, 1035, 1032, 1031, 1034, 1033},
        {1036, 1037, 1038, 1039, 1040, 1041, 1042, 1043, 1006, 1007, 1054, 1053, 1055, 1056},
        {1047, 1058},
    };
    return pages;
}

class ConsoleTest : public test_support::UnitUiTest {
  protected:
    // The unit every console test starts from: calibrated, with its two
    // volumes; toml adds or changes devices.
    void StartUnit(const std::string& toml = "") {
        unitDir->Toml(toml)
            .File("\\Mounted Volume\\Vesk\\calib.dat", "CalibrationData=1,2 3,4 5,6 7,8 9,10\r\n")
            .Dir("\\Mounted Volume2");
        Start();
    }

    // The console goes first: its key check window gives back the registers
    // of the unit it was built on.
    void Restart() {
        console.reset();
        test_support::UnitUiTest::Restart();
    }

    ui::HWND ConsoleHwnd() { return console ? console->m_hWnd : nullptr; }

    // Runs the console with the steps added so far; returns DoModal's result.
    int RunConsole() {
        console = std::make_unique<CConsoleDlg>();
        const int result = console->DoModal();
        return result;
    }

    // A control's rectangle in the console's client pixels.
    ui::Rect ClientRect(int id) {
        ui::Rect r = Info(id).screenRect;
        console->ScreenToClient(&r);
        return r;
    }

    // The ids of the console's visible controls (the tab control aside).
    std::set<int> VisibleControls() {
        std::set<int> visible;
        for (ui::HWND c : desktop->Children(ConsoleHwnd())) {
            const auto info = desktop->Describe(c);
            if (info->visible && info->id != kTab) {
                visible.insert(info->id);
            }
        }
        return visible;
    }

    // Taps the tab header of a page.
    void TapTab(int page) {
        ui::Rect header;
        auto* tab = static_cast<ui::CTabCtrl*>(console->GetDlgItem(kTab));
        ASSERT_TRUE(tab->GetItemRect(page, &header));
        tab->ClientToScreen(&header);
        desktop->Tap((header.left + header.right) / 2, (header.top + header.bottom) / 2);
    }

    ui::CButton* Button(int id) { return static_cast<ui::CButton*>(console->GetDlgItem(id)); }

    std::unique_ptr<CConsoleDlg> console;
};

}  // namespace kestrin_test
