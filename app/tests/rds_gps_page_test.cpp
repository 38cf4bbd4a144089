// The "RDS/GPS" page: its two windows come and go without leaving anything of
// theirs behind.
#include <thread>

#include "console_fixture.h"
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

}  // namespace
}  // namespace kestrin_test
