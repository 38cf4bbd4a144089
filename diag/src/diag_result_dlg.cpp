#include "diag/diag_result_dlg.h"

#include "diag/diag_checks.h"
#include "platform/api.h"
#include "ui/dc.h"
#include "ui/message_box.h"

namespace {

constexpr int kResultId = 1002;
constexpr int kResultOkId = 1001;

}  // namespace

CDiagResultDlg::CDiagResultDlg(ui::CWnd* parent) : ui::CDialog(Template101(), parent) {
    BindClicked(kResultOkId, &CDiagResultDlg::OnOkClicked);
}

CDiagResultDlg::~CDiagResultDlg() = default;

ui::DialogTemplate CDiagResultDlg::Template101() {
    using namespace ui;
    DialogTemplate t;
    t.id = 101;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    t.cx = 139;
    t.cy = 100;
    t.items = {
        EditText(kResultId, 5, 5, 125, 70, ES_MULTILINE | ES_READONLY | ES_WANTRETURN),
        PushButton(kResultOkId, "OK", 95, 80, 40, 15),
    };
    return t;
}

void CDiagResultDlg::SetSelector(std::int32_t selector) {
    m_nSelector = selector;
}

void CDiagResultDlg::SetResultText(std::string_view text) {
    m_editResult.SetWindowText(text);
}

void CDiagResultDlg::DoDataExchange(ui::CDataExchange* dx) {
    ui::CDialog::DoDataExchange(dx);
    ui::DDX_Control(dx, kResultId, m_editResult);
    ui::DDX_Control(dx, kResultOkId, m_btnOk);
}

ui::BOOL CDiagResultDlg::OnInitDialog() {
    ui::CDialog::OnInitDialog();
    switch (m_nSelector) {
        case kDiagCheckNor:
            SetWindowText("NOR Flash Test");
            break;
        case kDiagCheckRds:
            SetWindowText("RDS check");
            break;
        case kDiagCheckGps:
            SetWindowText("GPS check");
            break;
        case kDiagCheckStorage:
            SetWindowText("STORAGE check");
            break;
        default:
            SetWindowText("No Select!!");
            break;
    }
    return ui::TRUE;
}

void CDiagResultDlg::RunCheck() {
    switch (m_nSelector) {
        case kDiagCheckNor:
            DiagNorFunc(this);
            break;
        case kDiagCheckRds:
            DiagRdsFunc(this);
            break;
        case kDiagCheckGps:
            DiagGpsFunc(this);
            break;
        case kDiagCheckStorage:
            DiagStorageFunc(this);
            break;
        default:
            break;
    }
}

void CDiagResultDlg::OnPaint() {
    ui::CPaintDC dc(this);
    if (m_nFirstPaint == 1) {
        RunCheck();
        m_nFirstPaint = 0;
    }
}

void CDiagResultDlg::CloseRdsPort() {
    // Forgotten whether or not it closes: a worker still reading fails on
    // the invalid handle.
    const platform::HANDLE port = m_hRdsPort.exchange(platform::INVALID_HANDLE_VALUE);
    if (port == platform::INVALID_HANDLE_VALUE) {
        return;
    }
    if (platform::CloseHandle(port) == platform::FALSE) {
        ui::AfxMessageBox("CloseHandle(\"COM\") not close!!", ui::MB_OK | ui::MB_ICONQUESTION);
    }
}

void CDiagResultDlg::OnClose() {
    CloseRdsPort();
    ui::CDialog::OnClose();
}

void CDiagResultDlg::OnOkClicked() {
    CloseRdsPort();
    EndDialog(0);
}

// However the window ends (also Esc, Enter or the unit switched off), the
// port is closed and the RDS worker has finished before the window and its
// text area go; the wait serves the worker's last text change.
void CDiagResultDlg::OnDestroy() {
    const platform::HANDLE port = m_hRdsPort.exchange(platform::INVALID_HANDLE_VALUE);
    if (port != platform::INVALID_HANDLE_VALUE) {
        platform::CloseHandle(port);
    }
    ui::WaitForThread(m_pRdsThread);
    m_pRdsThread = nullptr;  // released by the framework once this run is over
    ui::CDialog::OnDestroy();
}
