// The application object: the console is the main window for as long as it
// runs, and is gone (registers given back) when the program's run ends.
#include <gtest/gtest.h>

#include "app/console_app.h"
#include "host/controls/controls_component.h"
#include "host/sound/wave_output.h"
#include "host/unit/registers.h"
#include "host/unit/test_unit.h"
#include "platform/services.h"
#include "ui/app.h"
#include "ui/desktop.h"
#include "ui/headless_presenter.h"
#include "ui/manual_clock.h"
#include "ui/wnd.h"

namespace {

TEST(ConsoleApp, RunsTheConsoleAsMainWindowUntilItIsCancelled) {
    host::unit::TestUnit unitDir(host::controls::ControlKinds());
    unitDir.File("\\Mounted Volume\\Vesk\\calib.dat", "CalibrationData=0,0\r\n");
    ASSERT_TRUE(unitDir.Load()) << unitDir.error();
    ui::ManualClock clock(1000);
    host::sound::WaveOutput sound(
        host::sound::WaveOutput::Options{.soundCard = false, .volume = 0xFFFFFFFFU});
    platform::Services s = unitDir.unit().Services();
    s.clock = &clock;
    s.sound = &sound;
    const platform::ScopedServices services(s);
    ui::HeadlessPresenter presenter(&clock);

    CConsoleApp app;
    std::string caption;
    bool active = false;
    int reservations = 0;
    presenter.AddCall([&] {
        ui::CWnd* main = ui::AfxGetMainWnd();
        ASSERT_NE(main, nullptr);
        caption = main->GetWindowText();
        active = ui::Desktop::Current()->ActiveWindow() == main->m_hWnd;
        reservations = unitDir.unit().Reservations();
    });
    // No more steps: the run ends with the console's cancel command.
    ui::AfxWinMain(presenter, &clock);
    EXPECT_EQ(caption, "Kestrin");
    EXPECT_TRUE(active);
    EXPECT_EQ(reservations, 2);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_EQ(unitDir.unit().Reservations(), 0);
    EXPECT_EQ(unitDir.unit().ReadWord(kIntcAddress + kIntcIcmr) & 0x100U, 0x100U);
}

}  // namespace
