#include "app/console_dlg.h"

CConsoleDlg::CConsoleDlg(ui::CWnd* parent) : ui::CDialog(Template102(), parent) {}

CConsoleDlg::~CConsoleDlg() = default;

ui::DialogTemplate CConsoleDlg::Template102() {
    ui::DialogTemplate t;
    t.id = 102;
    t.caption = "Kestrin";
    t.cx = 495;
    t.cy = 238;
    return t;
}

void CConsoleDlg::DoDataExchange(ui::CDataExchange* dx) {
    ui::CDialog::DoDataExchange(dx);
}
ui::BOOL CConsoleDlg::OnInitDialog() {
    return ui::CDialog::OnInitDialog();
}
void CConsoleDlg::OnOK() {}
void CConsoleDlg::OnClose() {}
void CConsoleDlg::OnTimer(ui::UINT_PTR id) {
    ui::CDialog::OnTimer(id);
}
void CConsoleDlg::LayoutPages() {}
void CConsoleDlg::ShiftControl(ui::CWnd*) {}
void CConsoleDlg::PlaceAtBottom(ui::CWnd*, int, int) {}
void CConsoleDlg::ShowVerPage(int) {}
void CConsoleDlg::ShowShipPage(int) {}
void CConsoleDlg::ShowDiagPage(int) {}
void CConsoleDlg::ShowTouchPanelPage(int) {}
void CConsoleDlg::ShowLcdPage(int) {}
void CConsoleDlg::ShowAudioPage(int) {}
void CConsoleDlg::ShowRdsGpsPage(int) {}
void CConsoleDlg::HideAllPages() {}
void CConsoleDlg::OnTabSelChange(ui::NMHDR*, ui::LRESULT* result) {
    *result = 0;
}
void CConsoleDlg::RefreshStatus() {}
void CConsoleDlg::FillVersionPage() {}
void CConsoleDlg::OnDiagExec() {}
void CConsoleDlg::OnMuteOff() {}
void CConsoleDlg::OnMuteOn() {}
void CConsoleDlg::SetUpBacklight() {}
void CConsoleDlg::OnLcdExec() {}
void CConsoleDlg::OnDutyDeltaPos(ui::NMHDR*, ui::LRESULT* result) {
    *result = 0;
}
platform::HANDLE CConsoleDlg::OpenBacklight() {
    return m_hBacklight;
}
int CConsoleDlg::GetDutyMax() {
    return 0;
}
int CConsoleDlg::GetDuty() {
    return -1;
}
ui::BOOL CConsoleDlg::SetDuty(int) {
    return ui::FALSE;
}
int CConsoleDlg::GetPhotoLevel() {
    return -1;
}
