// The "Diag" page: the "EXEC" runner and the radio muting switch.
#include "app/console_dlg.h"
#include "diag/diag_result_dlg.h"

namespace {

bool IsChecked(const ui::CButton* radio) {
    return radio != nullptr && radio->SendMessage(ui::BM_GETCHECK) == ui::BST_CHECKED;
}

}  // namespace

void CConsoleDlg::OnDiagExec() {
    if (IsChecked(m_pRadioKey)) {
        m_keyCheckDlg.DoModal();
        return;
    }
    // The last checked one in this order wins.
    std::int32_t selector = kDiagCheckNone;
    if (IsChecked(m_pRadioNor)) {
        selector = kDiagCheckNor;
    }
    if (IsChecked(m_pRadioRds)) {
        selector = kDiagCheckRds;
    }
    if (IsChecked(m_pRadioGps)) {
        selector = kDiagCheckGps;
    }
    if (IsChecked(m_pRadioStorage)) {
        selector = kDiagCheckStorage;
    }
    CDiagResultDlg dlg;
    dlg.SetSelector(selector);
    dlg.DoModal();
}

void CConsoleDlg::OnMuteOff() {
    m_radioMute.SetMuteOff();
}

void CConsoleDlg::OnMuteOn() {
    m_radioMute.SetMuteOn();
}
