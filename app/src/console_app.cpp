#include "app/console_app.h"

#include "app/console_dlg.h"

ui::BOOL CConsoleApp::InitInstance() {
    CConsoleDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return ui::FALSE;
}
