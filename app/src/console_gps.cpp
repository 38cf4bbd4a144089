#include "app/console_dlg.h"
#include "gpsinfo/gps_info_dlg.h"

// "GPS Information": the window runs on its own until the user closes it,
// and is gone before the handler returns.
void CConsoleDlg::OnGpsInformation() {
    CGpsInfoDlg dlg;
    dlg.DoModal();
}
