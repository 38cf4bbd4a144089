#include "ui/dialog.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <utility>

#include "desktop_impl.h"
#include "platform/text.h"
#include "ui/message_box.h"

namespace ui {

using detail::DesktopImpl;

CDialog::CDialog(DialogTemplate dialogTemplate, CWnd* parent)
    : m_pParentWnd(parent), template_(std::move(dialogTemplate)) {}

CDialog::~CDialog() = default;

int CDialog::DoModal() {
    DesktopImpl* d = DesktopImpl::Current();
    if (d == nullptr) {
        return -1;
    }
    return d->RunModal(*this);
}

void CDialog::EndDialog(int result) {
    if (DesktopImpl* d = DesktopImpl::Current()) {
        d->EndModal(*this, result);
        return;
    }
    if (auto hub = detail::CurrentHub()) {
        hub->Invoke(m_hWnd, [this, result] {
            if (DesktopImpl* d = DesktopImpl::Current()) {
                d->EndModal(*this, result);
            }
        });
    }
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (UpdateData(TRUE) == FALSE) {
        return;
    }
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange* /*dx*/) {}

BOOL CDialog::UpdateData(BOOL save) {
    CDataExchange dx(this, save);
    DoDataExchange(&dx);
    return dx.Failed() ? FALSE : TRUE;
}

void CDialog::GotoDlgCtrl(CWnd* control) {
    if (control != nullptr) {
        control->SetFocus();
    }
}

void CDialog::SetDefID(UINT id) {
    SendMessage(DM_SETDEFID, id);
}

DWORD CDialog::GetDefID() const {
    return static_cast<DWORD>(SendMessage(DM_GETDEFID));
}

BOOL CDialog::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_INITDIALOG) {
        *result = OnInitDialog();
        return TRUE;
    }
    return CWnd::OnWndMsg(message, wParam, lParam, result);
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (CWnd::OnCommand(wParam, lParam) != FALSE) {
        return TRUE;
    }
    if (HIWORD(wParam) != BN_CLICKED) {
        return FALSE;
    }
    switch (LOWORD(wParam)) {
        case IDOK:
            OnOK();
            return TRUE;
        case IDCANCEL:
            OnCancel();
            return TRUE;
        default:
            return FALSE;
    }
}

// --- data exchange -------------------------------------------------------

HWND CDataExchange::PrepareCtrl(int id) {
    CWnd* item = m_pDlgWnd != nullptr ? m_pDlgWnd->GetDlgItem(id) : nullptr;
    return item != nullptr ? item->m_hWnd : nullptr;
}

namespace {

// A whole decimal number with optional blanks around it and an optional
// sign, within int.
bool ParseInt(const std::string& text, int* value) {
    const char* begin = text.c_str();
    while (*begin == ' ' || *begin == '\t') {
        ++begin;
    }
    if (*begin == '\0') {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(begin, &end, 10);
    if (end == begin || errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) {
        return false;
    }
    while (*end == ' ' || *end == '\t') {
        ++end;
    }
    if (*end != '\0') {
        return false;
    }
    *value = static_cast<int>(parsed);
    return true;
}

}  // namespace

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (dx->Failed() || control.m_hWnd != nullptr) {
        return;
    }
    control.SubclassDlgItem(id, dx->m_pDlgWnd);
}

void DDX_Text(CDataExchange* dx, int id, int& value) {
    if (dx->Failed()) {
        return;
    }
    const HWND hwnd = dx->PrepareCtrl(id);
    CWnd* control = CWnd::FromHandle(hwnd);
    if (control == nullptr) {
        return;
    }
    if (dx->m_bSaveAndValidate == FALSE) {
        control->SetWindowText(platform::Format("%d", value));
        return;
    }
    int parsed = 0;
    if (!ParseInt(control->GetWindowText(), &parsed)) {
        AfxMessageBox("Please enter an integer.", MB_OK | MB_ICONEXCLAMATION);
        control->SetFocus();
        dx->Fail();
        return;
    }
    value = parsed;
}

void DDX_Text(CDataExchange* dx, int id, std::string& value) {
    if (dx->Failed()) {
        return;
    }
    CWnd* control = CWnd::FromHandle(dx->PrepareCtrl(id));
    if (control == nullptr) {
        return;
    }
    if (dx->m_bSaveAndValidate == FALSE) {
        control->SetWindowText(value);
    } else {
        value = control->GetWindowText();
    }
}

}  // namespace ui
