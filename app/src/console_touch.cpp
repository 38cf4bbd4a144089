// "TouchPanel" page: the test window and the touch calibration with its wait.
#include "app/console_dlg.h"
#include "touch/calibration_wait.h"
#include "touch/touch_panel_dlg.h"

void CConsoleDlg::OnTouchPanelTest() {
    CTouchPanelDlg dlg;
    dlg.DoModal();
}

void CConsoleDlg::OnStartCalibrationRequest() {
    if (ConfirmRecalibration()) {
        StartCalibration();
    }
}

void CConsoleDlg::StartCalibration() {
    StartCalibrationWait(*this, m_nCalibTick);
}

void CConsoleDlg::CalibrationWait() {
    CalibrationWaitTick(*this, m_nCalibTick);
}
