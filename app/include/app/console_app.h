// The application object: runs the console as the program's one modal
// window and ends the program when it ends.
#pragma once

#include "ui/app.h"

class CConsoleApp : public ui::CWinApp {
  public:
    CConsoleApp() = default;

    // Constructs the console without a parent, makes it the main window, runs
    // it modally and destroys it; FALSE so that no message loop follows.
    ui::BOOL InitInstance() override;
};
