#include "ui/demo_dialog.h"

#include "platform/text.h"

namespace ui::demo {

DialogTemplate DemoTemplate() {
    DialogTemplate t;
    t.id = 200;
    t.caption = "Controls";
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    t.exStyle = WS_EX_CAPTIONOKBTN;
    t.cx = 180;
    t.cy = 122;
    t.items = {
        GroupBox(IDC_CHOICE, "Colour", 6, 16, 66, 46),
        AutoRadioButton(IDC_RED, "Red", 12, 26, 50, 10, WS_GROUP | WS_TABSTOP),
        AutoRadioButton(IDC_GREEN, "Green", 12, 37, 50, 10),
        AutoRadioButton(IDC_BLUE, "Blue", 12, 48, 50, 10),
        AutoRadioButton(IDC_UP, "up", 78, 18, 30, 12, WS_GROUP | BS_PUSHLIKE),
        AutoRadioButton(IDC_DOWN, "down", 110, 18, 30, 12, BS_PUSHLIKE),
        AutoCheckBox(IDC_MUTE, "Mute", 78, 34, 56, 10, WS_GROUP),
        AutoRadioButton(IDC_LED, "LED", 78, 47, 40, 10, WS_GROUP | BS_LEFTTEXT),
        LText(IDC_DUTY_LABEL, "Duty", 6, 68, 22, 10, WS_GROUP),
        EditText(IDC_DUTY, 30, 66, 30, 13),
        UpDown(IDC_DUTY_SPIN, 60, 66, 11, 13,
               UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS),
        LText(IDC_STATUS, "Page: Buttons", 78, 68, 70, 10),
        EditText(IDC_LOG, 6, 83, 100, 33, ES_MULTILINE | ES_READONLY | WS_VSCROLL),
        LText(IDC_MAX, "Max", 148, 18, 20, 10),
        Trackbar(IDC_VOLUME, 146, 28, 26, 50, TBS_VERT | TBS_AUTOTICKS),
        LText(IDC_MIN, "Min", 148, 78, 20, 10),
        DefPushButton(IDC_APPLY, "Apply", 112, 98, 40, 14),
        TabControl(IDC_TAB, 2, 2, 176, 118),
    };
    return t;
}

CDemoDlg::CDemoDlg(CWnd* parent) : CDialog(DemoTemplate(), parent) {
    BindClicked(IDC_APPLY, &CDemoDlg::OnApply);
    BindNotify(IDC_TAB, TCN_SELCHANGE, &CDemoDlg::OnSelChangeTab);
    BindNotify(IDC_DUTY_SPIN, UDN_DELTAPOS, &CDemoDlg::OnDutyDelta);
}

void CDemoDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDC_TAB, m_tab);
    DDX_Control(dx, IDC_LOG, m_log);
    DDX_Control(dx, IDC_DUTY_SPIN, m_spin);
    DDX_Control(dx, IDC_VOLUME, m_volume);
    DDX_Control(dx, IDC_STATUS, m_status);
    DDX_Text(dx, IDC_DUTY, m_nDuty);
}

BOOL CDemoDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    for (const char* page : {"Buttons", "Text", "Values"}) {
        m_tab.InsertItem(m_tab.GetItemCount(), page);
    }
    // The tab control is the page's frame: everything else draws over it.
    m_tab.SetWindowPos(&CWnd::wndBottom, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    CheckDlgButton(IDC_RED, BST_CHECKED);
    CheckDlgButton(IDC_UP, BST_CHECKED);
    m_spin.SetRange(0, 9);
    m_volume.SetRange(0, 10);
    m_volume.SetTicFreq(1);
    m_volume.SetPageSize(1);
    m_volume.SetPos(4);
    m_log.SetWindowText("Line one of the log\r\nLine two\r\nLine three\r\nLine four\r\nLine five");
    return TRUE;
}

void CDemoDlg::OnApply() {
    m_status.SetWindowText("Applied");
}

void CDemoDlg::OnSelChangeTab(NMHDR* /*header*/, LRESULT* result) {
    static constexpr const char* kPages[] = {"Buttons", "Text", "Values"};
    const int page = m_tab.GetCurSel();
    if (page >= 0 && page < 3) {
        m_status.SetWindowText(platform::Format("Page: %s", kPages[page]));
    }
    *result = 0;
}

void CDemoDlg::OnDutyDelta(NMHDR* header, LRESULT* result) {
    const auto* change = reinterpret_cast<const NMUPDOWN*>(header);
    m_status.SetWindowText(platform::Format("Duty %d", change->iPos + change->iDelta));
    *result = 0;
}

void CDemoDlg::OnVScroll(UINT code, UINT pos, CWnd* bar) {
    if (bar == &m_volume) {
        m_status.SetWindowText(platform::Format("Volume %d", m_volume.GetPos()));
    }
    CDialog::OnVScroll(code, pos, bar);
}

BOOL CDemoApp::InitInstance() {
    CDemoDlg dlg;
    m_pMainWnd = &dlg;
    result = dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}

}  // namespace ui::demo
