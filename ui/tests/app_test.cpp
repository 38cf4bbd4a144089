// The program's entry: the application object, its main window and the exit
// code, and the run ended by the presenter.
#include <gtest/gtest.h>

#include "platform/services.h"
#include "test_kernel.h"
#include "ui/app.h"
#include "ui/desktop.h"
#include "ui/framework.h"
#include "ui/headless_presenter.h"
#include "ui/manual_clock.h"

namespace ui::test {
namespace {

DialogTemplate MainTemplate() {
    DialogTemplate t;
    t.caption = "Main";
    t.cx = 100;
    t.cy = 60;
    return t;
}

// A dialog application: InitInstance runs the main dialog and returns FALSE.
class DialogApp : public CWinApp {
  public:
    BOOL InitInstance() override {
        CDialog main(MainTemplate());
        m_pMainWnd = &main;
        result = main.DoModal();
        m_pMainWnd = nullptr;
        return FALSE;
    }
    int ExitInstance() override { return 3; }
    int result = 0;
};

class AppTest : public ::testing::Test {
  protected:
    ManualClock clock{5000};
    TestKernel kernel;
    platform::ScopedServices services{
        platform::Services{&kernel, nullptr, nullptr, nullptr, nullptr, &clock, nullptr}};
    HeadlessPresenter presenter{&clock};
};

TEST_F(AppTest, ADialogApplicationEndsWhenItsDialogEnds) {
    DialogApp app;
    EXPECT_EQ(AfxGetApp(), &app);
    presenter.AddCall([&] {
        ASSERT_NE(AfxGetMainWnd(), nullptr);
        EXPECT_EQ(AfxGetMainWnd()->GetWindowText(), "Main");
        EXPECT_EQ(Desktop::Current()->ActiveWindow(), AfxGetMainWnd()->m_hWnd);
    });
    // No more steps: the run is ended by cancelling the dialog.
    EXPECT_EQ(AfxWinMain(presenter, &clock), 3);
    EXPECT_EQ(app.result, IDCANCEL);
    EXPECT_EQ(Desktop::Current(), nullptr);
}

// A dialog that will not be cancelled (its cancel command does nothing).
class Stubborn : public CDialog {
  public:
    Stubborn() : CDialog(MainTemplate()) {}
    void OnCancel() override {}
};

class StubbornApp : public CWinApp {
  public:
    BOOL InitInstance() override {
        Stubborn main;
        result = main.DoModal();
        return FALSE;
    }
    int result = 0;
};

TEST_F(AppTest, ARunWhoseWindowRefusesToCloseEndsByQuitting) {
    StubbornApp app;
    EXPECT_EQ(AfxWinMain(presenter, &clock), 0);
    EXPECT_EQ(app.result, -1);
}

TEST_F(AppTest, NoApplicationObjectIsAnError) {
    EXPECT_EQ(AfxGetApp(), nullptr);
    EXPECT_EQ(AfxWinMain(presenter, &clock), 1);
    EXPECT_EQ(AfxGetAppName(), "Kestrin");
}

}  // namespace
}  // namespace ui::test
