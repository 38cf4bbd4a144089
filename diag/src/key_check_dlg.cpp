#include "diag/key_check_dlg.h"

CKeyCheckDlg::CKeyCheckDlg(ui::CWnd* parent) : ui::CDialog(Template137(), parent) {}

CKeyCheckDlg::~CKeyCheckDlg() = default;

ui::DialogTemplate CKeyCheckDlg::Template137() {
    ui::DialogTemplate t;
    t.id = 137;
    t.caption = "Key check";
    t.cx = 103;
    t.cy = 65;
    return t;
}

ui::BOOL CKeyCheckDlg::OnInitDialog() {
    return ui::CDialog::OnInitDialog();
}

void CKeyCheckDlg::OnTimer(ui::UINT_PTR id) {
    ui::CDialog::OnTimer(id);
}

void CKeyCheckDlg::OnClose() {
    ui::CDialog::OnClose();
}

void CKeyCheckDlg::OnOkClicked() {
    EndDialog(0);
}
