#include "ui/app.h"

#include <atomic>

#include "desktop_impl.h"
#include "platform/world.h"
#include "ui/desktop.h"
#include "ui/wnd.h"

namespace ui {

namespace {

constexpr const char* kModuleName = "Kestrin";

// The application object of the calling thread's world.
struct AppSlot {
    std::atomic<CWinApp*> app{nullptr};
};

std::atomic<CWinApp*>& TheApp() {
    return platform::CurrentWorld().Part<AppSlot>().app;
}

}  // namespace

CWinApp::CWinApp(const char* appName) : m_pszAppName(appName != nullptr ? appName : kModuleName) {
    TheApp().store(this);
}

CWinApp::~CWinApp() {
    CWinApp* self = this;
    TheApp().compare_exchange_strong(self, nullptr);
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::Run() {
    if (auto* d = detail::DesktopImpl::Current()) {
        d->RunLoop([&] {
            if (d->quitting) {
                return true;
            }
            if (m_pMainWnd != nullptr) {
                return d->Find(m_pMainWnd->m_hWnd) == nullptr;
            }
            return d->TopLevels().empty();
        });
    }
    return ExitInstance();
}

int CWinApp::ExitInstance() {
    return 0;
}

CWinApp* AfxGetApp() {
    return TheApp().load();
}

CWnd* AfxGetMainWnd() {
    CWinApp* app = AfxGetApp();
    return app != nullptr ? app->m_pMainWnd : nullptr;
}

std::string AfxGetAppName() {
    CWinApp* app = AfxGetApp();
    return app != nullptr ? app->m_pszAppName : std::string(kModuleName);
}

int AfxWinMain(Presenter& presenter, platform::Clock* clock) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) {
        return 1;
    }
    Desktop desktop(presenter, clock);
    if (app->InitInstance() == FALSE) {
        return app->ExitInstance();
    }
    return app->Run();
}

}  // namespace ui
