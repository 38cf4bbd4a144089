#include "diag/diag_checks.h"
#include "diag/diag_result_dlg.h"
#include "rds/module_check.h"
#include "rds/serial_port.h"
#include "ui/thread.h"

void DiagRdsFunc(CDiagResultDlg* dlg) {
    if (dlg->m_hRdsPort.load() == platform::INVALID_HANDLE_VALUE) {
        dlg->m_hRdsPort.store(TheRdsSerialPort().Open());
    }
    if (dlg->m_hRdsPort.load() == platform::INVALID_HANDLE_VALUE) {
        dlg->SetResultText("ERROR!!!\r\nRDS port not open!!");
        return;
    }
    dlg->m_pRdsThread = ui::AfxBeginThread(RdsReceiveThread, dlg, ui::THREAD_PRIORITY_NORMAL);
    if (dlg->m_pRdsThread == nullptr) {
        dlg->SetResultText("RdsReceiveThread() not create!!");
    }
}

// The window waits for this thread before it goes, so it may be written to
// until the end; closing the port makes the next read fail.
ui::UINT RdsReceiveThread(ui::LPVOID param) {
    auto* dlg = static_cast<CDiagResultDlg*>(param);
    dlg->SetResultText(RunRdsModuleCheck(TheRdsSerialPort(), dlg->m_hRdsPort));
    return 0;
}
