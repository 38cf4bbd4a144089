#include "app/console_dlg.h"

// The page's operations arrive with their subsystem; until then they do nothing.
void CConsoleDlg::OnTouchPanelTest() {}
void CConsoleDlg::OnStartCalibrationRequest() {}
void CConsoleDlg::StartCalibration() {}
void CConsoleDlg::CalibrationWait() {}
