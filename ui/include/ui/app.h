// The application object and the program's entry into the framework.
#pragma once

#include <string>

#include "ui/types.h"

namespace platform {
class Clock;
}

namespace ui {

class CWnd;
class Presenter;

class CWinApp {
  public:
    // The one application object (constructed as a static object by the
    // program). Without a name the module's name, "Kestrin", is used.
    explicit CWinApp(const char* appName = nullptr);
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    // Returns FALSE to end the program at once (after ExitInstance), as a
    // dialog application does once its dialog has run.
    virtual BOOL InitInstance();
    // Runs the message loop until the main window is gone or the program
    // quits, then ExitInstance.
    virtual int Run();
    // The program's exit code.
    virtual int ExitInstance();

    // Icons are kept by resource id.
    [[nodiscard]] HICON LoadIcon(UINT id) const { return static_cast<HICON>(id); }

    std::string m_pszAppName;
    CWnd* m_pMainWnd = nullptr;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// The application's name, "Kestrin" when there is no application object.
std::string AfxGetAppName();

// The program's entry: shows the framework through the presenter, runs the
// application object's InitInstance (and Run when it returns TRUE) and
// returns the exit code. clock null: the platform's clock (a steady clock
// when none is installed).
int AfxWinMain(Presenter& presenter, platform::Clock* clock = nullptr);

}  // namespace ui
