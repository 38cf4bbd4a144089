#include <memory>

#include "app/console_dlg.h"
#include "rds/rds_tool_dlg.h"

// "RDS tool" (1047): the tool window, made on the spot without a parent, run
// to its end and destroyed before the handler returns.
void CConsoleDlg::OnRdsTool() {
    auto dlg = std::make_unique<CRdsToolDlg>(nullptr);
    dlg->DoModal();
}
