// The "RDS/GPS" page: its two windows come and go without leaving anything of
// theirs behind.
#include <thread>

#include "console_fixture.h"
#include "host/com7/com7_component.h"
#include "host/gps1/gps1_component.h"
#include "ui/thread.h"

namespace kestrin_test {
namespace {

// Each opening starts the window's receive thread; once the window is gone
// and the console's handler has returned, its thread object is released.
TEST_F(ConsoleTest, TwoHundredOpeningsLeaveNoThreadObjectBehind) {
    StartUnit();  // no "GPS1:" and no "COM7:": each thread ends at once
    RecordMessageBoxes();
    const std::size_t before = ui::ThreadObjects();
    StepCall([this] { TapTab(kPageRdsGps); });
    for (int round = 0; round < 100; ++round) {
        for (const int button : {kGpsInfo, kRdsTool}) {
            StepTap(button);
            // Closed once its thread has ended (it needs nothing of this
            // thread), so the close does not wait and run the next steps.
            StepCall([this] {
                ASSERT_NE(desktop->ActiveWindow(), ConsoleHwnd());
                while (Unit().LiveSystemThreads() != 0) {
                    std::this_thread::yield();
                }
                desktop->KeyDown(ui::Key::Escape);
            });
        }
    }
    StepCall([&] {
        EXPECT_EQ(desktop->ActiveWindow(), ConsoleHwnd());
        EXPECT_EQ(ui::ThreadObjects(), before);
    });
    RunConsole();
    EXPECT_EQ(boxes.size(), 200U);
}

// The normal case: with "GPS1:" and "COM7:" each window's receive thread is
// still running when the window closes, and the close waits for it.
TEST_F(ConsoleTest, TwoHundredOpeningsWithRunningReceiversLeaveNoThreadObjectBehind) {
    unitDir->With({Gps1ComponentKind(), Com7ComponentKind()});
    StartUnit("[gps]\nsource = \"none\"\n[com]\nfrequency = 875\n");
    RecordMessageBoxes();
    const std::size_t before = ui::ThreadObjects();
    StepCall([this] { TapTab(kPageRdsGps); });
    for (int round = 0; round < 100; ++round) {
        for (const int button : {kGpsInfo, kRdsTool}) {
            StepTap(button);
            StepCall([this] {
                ASSERT_NE(desktop->ActiveWindow(), ConsoleHwnd());
                EXPECT_NE(Unit().LiveSystemThreads(), 0);
                desktop->KeyDown(ui::Key::Escape);
            });
            // The next opening is the next step, not something for the
            // close's wait to serve.
            presenter.AddWaitUntil([this] { return !desktop->WaitingForThread(); });
        }
    }
    StepCall([&] {
        EXPECT_EQ(desktop->ActiveWindow(), ConsoleHwnd());
        EXPECT_EQ(ui::ThreadObjects(), before);
        EXPECT_EQ(Unit().LiveSystemThreads(), 0);
    });
    RunConsole();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{});
}

}  // namespace
}  // namespace kestrin_test
