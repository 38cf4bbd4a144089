// Timers, the status read-out and the console's refusal to close.
#include "app/console_dlg.h"
#include "app/console_ids.h"
#include "platform/api.h"
#include "ui/message_box.h"

using namespace console_id;

namespace {

constexpr const char* kSwitchOffText =
    "Please switch off the main power by sliding the POWER switch on the bottom right of the "
    "unit!";

}  // namespace

void CConsoleDlg::RefreshStatus() {
    platform::SYSTEM_POWER_STATUS_EX2 status;
    if (platform::GetSystemPowerStatusEx2(&status, sizeof status, platform::TRUE) == 0) {
        m_editBattery.SetWindowText("----");
    } else {
        m_editBattery.SetWindowText(
            platform::Format("%d", static_cast<int>(status.BatteryVoltage)));
    }
    const BacklightAlerts::ReadoutScope readout(m_backlightAlerts);
    m_editPhoto.SetWindowText(platform::Format("%d", GetPhotoLevel()));
}

void CConsoleDlg::OnTimer(ui::UINT_PTR id) {
    if (id == kStatusTimer) {
        RefreshStatus();
    } else if (id == kCalibrationTimer) {
        CalibrationWait();
    }
    ui::CDialog::OnTimer(id);
}

// The close box and OK only ask for the power switch; the console stays.
void CConsoleDlg::OnClose() {
    MessageBox(kSwitchOffText, {}, ui::MB_OKCANCEL | ui::MB_ICONEXCLAMATION);
}

void CConsoleDlg::OnOK() {
    MessageBox(kSwitchOffText, {}, ui::MB_OKCANCEL | ui::MB_ICONEXCLAMATION);
}
