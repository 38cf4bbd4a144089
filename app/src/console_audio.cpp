#include "app/console_dlg.h"

// The page's operations arrive with their subsystem; until then they do nothing.
void CConsoleDlg::OnPlay() {}
void CConsoleDlg::OnStop() {}
void CConsoleDlg::OnVolumeScroll() {}
void CConsoleDlg::ResetVolume() {}
void CConsoleDlg::ReadBackVolume() {}
ui::BOOL CConsoleDlg::ApplyVolume() { return ui::TRUE; }
void CConsoleDlg::OnVScroll(ui::UINT code, ui::UINT pos, ui::CWnd* bar) {
    ui::CDialog::OnVScroll(code, pos, bar);
}
