#include "app/console_dlg.h"

// The page's operations arrive with their subsystem; until then they do nothing.
void CConsoleDlg::InitializeForShipping() {}
