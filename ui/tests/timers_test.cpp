// Window timers on the manual clock: exact firing order, restarting, killing,
// firing under modal windows and message boxes, and made-to-fail SetTimer.
#include <utility>

#include "ui_fixture.h"

namespace ui::test {
namespace {

using Fire = std::pair<std::uint64_t, UINT_PTR>;  // (ms since start, timer id)

TEST_F(UiTest, TimersFireInDeadlineOrderOnTheManualClock) {
    TestDialog dlg(BasicTemplate());
    std::vector<Fire> fired;
    dlg.onInit = [&](TestDialog& d) {
        EXPECT_EQ(d.SetTimer(1, 300), 1U);
        EXPECT_EQ(d.SetTimer(2, 500), 2U);
    };
    dlg.onTimer = [&](TestDialog&, UINT_PTR id) {
        fired.emplace_back(clock.NowMs() - kStartMs, id);
    };
    presenter.AddWait(1500);
    dlg.DoModal();
    const std::vector<Fire> expected = {{300, 1},  {500, 2},  {600, 1},  {900, 1},
                                        {1000, 2}, {1200, 1}, {1500, 1}, {1500, 2}};
    EXPECT_EQ(fired, expected);
}

TEST_F(UiTest, SettingARunningTimerRestartsItAndKillingStopsIt) {
    TestDialog dlg(BasicTemplate());
    std::vector<Fire> fired;
    dlg.onInit = [](TestDialog& d) { d.SetTimer(1, 500); };
    dlg.onTimer = [&](TestDialog&, UINT_PTR id) {
        fired.emplace_back(clock.NowMs() - kStartMs, id);
    };
    presenter.AddWait(300);
    presenter.AddCall([&] { dlg.SetTimer(1, 500); });  // restarted at 300
    presenter.AddWait(900);  // until 1200: the restarted timer fires at 800 only
    presenter.AddCall([&] {
        EXPECT_EQ(dlg.KillTimer(1), TRUE);
        EXPECT_EQ(dlg.KillTimer(1), FALSE);
    });
    presenter.AddWait(2000);
    dlg.DoModal();
    EXPECT_EQ(fired, (std::vector<Fire>{{800, 1}}));
}

TEST_F(UiTest, TimersEndWithTheirWindow) {
    TestDialog dlg(BasicTemplate());
    dlg.onInit = [](TestDialog& d) { d.SetTimer(1, 100); };
    presenter.AddCall([&] { dlg.EndDialog(0); });
    dlg.DoModal();
    EXPECT_FALSE(desktop.NextTimerDue().has_value());
}

TEST_F(UiTest, ElapseBelowTenMillisecondsIsRaisedToTen) {
    TestDialog dlg(BasicTemplate());
    dlg.onInit = [](TestDialog& d) { d.SetTimer(3, 0); };
    presenter.AddCall([&] {
        EXPECT_EQ(desktop.NextTimerDue(), std::optional<std::uint64_t>(kStartMs + 10));
        dlg.EndDialog(0);
    });
    dlg.DoModal();
}

TEST_F(UiTest, AnOwnersTimersKeepFiringUnderAModalChild) {
    TestDialog owner(BasicTemplate("Owner"));
    TestDialog child(BasicTemplate("Child"));
    int ownerTicks = 0;
    int ticksWhileChildRan = -1;
    owner.onInit = [](TestDialog& d) { d.SetTimer(1, 500); };
    owner.onTimer = [&](TestDialog&, UINT_PTR) { ++ownerTicks; };
    owner.BindMessage(WM_USER + 1, [&](WPARAM, LPARAM) {
        const int before = ownerTicks;
        child.DoModal();
        ticksWhileChildRan = ownerTicks - before;
        return 0;
    });
    presenter.AddCall([&] { owner.PostMessage(WM_USER + 1); });
    presenter.AddWait(2000);
    presenter.AddCall([&] {
        EXPECT_EQ(desktop.ActiveWindow(), child.m_hWnd);
        child.EndDialog(0);
    });
    owner.DoModal();
    EXPECT_EQ(ticksWhileChildRan, 4);
}

TEST_F(UiTest, AnOwnersTimersKeepFiringUnderAMessageBox) {
    TestDialog owner(BasicTemplate("Owner"));
    int ticks = 0;
    owner.onInit = [](TestDialog& d) { d.SetTimer(1, 500); };
    owner.onTimer = [&](TestDialog&, UINT_PTR) { ++ticks; };
    int answer = 0;
    owner.BindMessage(WM_USER + 1, [&](WPARAM, LPARAM) {
        answer = AfxMessageBox("Busy", MB_OKCANCEL);
        return 0;
    });
    presenter.AddCall([&] { owner.PostMessage(WM_USER + 1); });
    presenter.AddWait(1600);
    presenter.AddCall([&] {
        EXPECT_EQ(ticks, 3);
        ASSERT_TRUE(desktop.TopMessageBox().has_value());
        EXPECT_TRUE(desktop.AnswerMessageBox(IDCANCEL));
    });
    presenter.AddCall([&] { owner.EndDialog(0); });
    owner.DoModal();
    EXPECT_EQ(answer, IDCANCEL);
}

TEST_F(UiTest, TheFailureHookMakesSetTimerReturnZero) {
    TestDialog dlg(BasicTemplate());
    desktop.SetTimerFailureHook([](HWND, UINT_PTR id) { return id == 1; });
    UINT_PTR first = 99;
    UINT_PTR second = 0;
    dlg.onInit = [&](TestDialog& d) {
        first = d.SetTimer(1, 500);
        second = d.SetTimer(2, 500);
    };
    presenter.AddCall([&] { dlg.EndDialog(0); });
    dlg.DoModal();
    EXPECT_EQ(first, 0U);
    EXPECT_EQ(second, 2U);
}

TEST_F(UiTest, ATimerThatFellBehindFiresOnceAndKeepsItsPhase) {
    TestDialog dlg(BasicTemplate());
    std::vector<Fire> fired;
    dlg.onInit = [](TestDialog& d) { d.SetTimer(1, 100); };
    dlg.onTimer = [&](TestDialog&, UINT_PTR id) {
        fired.emplace_back(clock.NowMs() - kStartMs, id);
    };
    presenter.AddCall([&] { clock.Advance(350); });  // a handler that took 350 ms
    presenter.AddWait(100);
    dlg.DoModal();
    EXPECT_EQ(fired, (std::vector<Fire>{{350, 1}, {400, 1}}));
}

TEST_F(UiTest, OverdueTimersFireInDeadlineOrderNotInTheOrderTheyWereSet) {
    TestDialog dlg(BasicTemplate());
    std::vector<Fire> fired;
    dlg.onInit = [](TestDialog& d) {
        d.SetTimer(1, 500);
        d.SetTimer(2, 300);
        d.SetTimer(3, 400);
    };
    dlg.onTimer = [&](TestDialog&, UINT_PTR id) {
        fired.emplace_back(clock.NowMs() - kStartMs, id);
    };
    presenter.AddCall([&] { clock.Advance(600); });  // all three are late
    presenter.AddCall([&] { dlg.EndDialog(0); });
    dlg.DoModal();
    EXPECT_EQ(fired, (std::vector<Fire>{{600, 2}, {600, 3}, {600, 1}}));
}

}  // namespace
}  // namespace ui::test
