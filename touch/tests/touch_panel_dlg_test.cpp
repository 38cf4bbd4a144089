// The touch panel test window: dots, read-outs, capture and the double tap.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/services.h"
#include "touch/touch_panel_dlg.h"
#include "ui/desktop.h"
#include "ui/headless_presenter.h"
#include "ui/manual_clock.h"
#include "ui/styles.h"

namespace {

using ui::InputEvent;
using ui::Point;
using ui::Rect;
using ui::Rgb;

constexpr Rgb kBlack = ui::MakeRgb(0, 0, 0);
constexpr Rgb kWhite = ui::MakeRgb(255, 255, 255);
constexpr Rgb kGreen = ui::MakeRgb(0, 255, 0);
constexpr Rect kReadoutX{295, 210, 329, 224};
constexpr Rect kReadoutY{295, 225, 329, 239};
// Everything the read-outs may touch on screen.
constexpr Rect kReadoutArea{280, 200, ui::kScreenWidth, ui::kScreenHeight};

class TouchPanelTest : public ::testing::Test {
  protected:
    ui::ManualClock clock{50000};
    platform::ScopedServices services{
        platform::Services{nullptr, nullptr, nullptr, nullptr, nullptr, &clock, nullptr}};
    ui::HeadlessPresenter presenter{&clock};
    ui::Desktop desktop{presenter, &clock};

    void Down(int x, int y) { presenter.AddEvent({InputEvent::Kind::PenDown, x, y, {}, {}}); }
    void Move(int x, int y) { presenter.AddEvent({InputEvent::Kind::PenMove, x, y, {}, {}}); }
    void Up(int x, int y) { presenter.AddEvent({InputEvent::Kind::PenUp, x, y, {}, {}}); }

    // The read-outs as the window must draw them, one pair after the other:
    // the texts in green on black at their rectangles. A shorter text leaves
    // the end of a longer one before it, as on the unit.
    using Readouts = std::vector<std::pair<std::string, std::string>>;
    static ui::Framebuffer ExpectedReadouts(const Readouts& drawn) {
        ui::Framebuffer fb;
        fb.FillRect({0, 0, ui::kScreenWidth, ui::kScreenHeight}, kBlack);
        for (const auto& [x, y] : drawn) {
            Rect rx = kReadoutX;
            ui::Font::System().DrawText(fb, x, rx, 0, kGreen, &kBlack);
            Rect ry = kReadoutY;
            ui::Font::System().DrawText(fb, y, ry, 0, kGreen, &kBlack);
        }
        return fb;
    }

    // Pixels of the read-out area that differ from the expected drawing.
    int ReadoutMismatches(const Readouts& drawn) {
        const ui::Framebuffer expected = ExpectedReadouts(drawn);
        const ui::Framebuffer& screen = desktop.Screen();
        int differ = 0;
        for (int py = kReadoutArea.top; py < kReadoutArea.bottom; ++py) {
            for (int px = kReadoutArea.left; px < kReadoutArea.right; ++px) {
                differ += screen.GetPixel(px, py) != expected.GetPixel(px, py) ? 1 : 0;
            }
        }
        return differ;
    }

    // Pixels outside the read-out area that are not black.
    int LitPixelsOutsideReadouts() {
        const ui::Framebuffer& screen = desktop.Screen();
        int lit = 0;
        for (int py = 0; py < ui::kScreenHeight; ++py) {
            for (int px = 0; px < ui::kScreenWidth; ++px) {
                if (!kReadoutArea.Contains({px, py}) && screen.GetPixel(px, py) != kBlack) {
                    ++lit;
                }
            }
        }
        return lit;
    }
};

TEST_F(TouchPanelTest, CoversTheScreenInBlackAndDrawsNothingBeforeTheFirstContact) {
    CTouchPanelDlg dlg;
    Move(50, 60);
    Move(51, 61);
    presenter.AddCall([&] {
        const auto info = desktop.Describe(dlg.m_hWnd);
        ASSERT_TRUE(info.has_value());
        EXPECT_EQ(info->screenRect, (Rect{0, 0, ui::kScreenWidth, ui::kScreenHeight}));
        EXPECT_EQ(LitPixelsOutsideReadouts(), 0);
        EXPECT_EQ(ReadoutMismatches({}), 0);
        dlg.EndDialog(ui::IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), ui::IDOK);
}

struct ReadoutCase {
    const char* name;
    Point down;  // inside the window
    Point move;  // under capture, anywhere
    const char* x;
    const char* y;
};

TEST_F(TouchPanelTest, ReadoutsShowTheFirstThreeCharactersOfTheZeroPaddedCoordinates) {
    const std::vector<ReadoutCase> cases = {
        {"inside", {3, 4}, {7, 45}, "007", "045"},
        {"three digits", {3, 4}, {199, 123}, "199", "123"},
        {"beyond 999 under capture", {3, 4}, {1234, 1000}, "123", "100"},
        {"left of and above the window", {3, 4}, {-7, -123}, "-07", "-12"},
        {"zero", {3, 4}, {0, 0}, "000", "000"},
    };
    for (const ReadoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        CTouchPanelDlg dlg;
        Down(c.down.x, c.down.y);
        Move(c.move.x, c.move.y);
        presenter.AddCall([&] {
            EXPECT_EQ(ReadoutMismatches({{"003", "004"}, {c.x, c.y}}), 0);
            const Rect screen{0, 0, ui::kScreenWidth, ui::kScreenHeight};
            if (screen.Contains(c.move) && !kReadoutArea.Contains(c.move)) {
                EXPECT_EQ(desktop.Screen().GetPixel(c.move.x, c.move.y), kWhite);
            }
            EXPECT_EQ(ui::Desktop::Current()->WndOf(ui::GetCapture()), &dlg);
        });
        Up(c.move.x, c.move.y);
        presenter.AddCall([&] {
            EXPECT_EQ(ui::GetCapture(), nullptr);
            dlg.EndDialog(ui::IDOK);
        });
        EXPECT_EQ(dlg.DoModal(), ui::IDOK);
        presenter.ClearSteps();
    }
}

TEST_F(TouchPanelTest, EveryContactAndMoveLeavesOneWhiteDot) {
    CTouchPanelDlg dlg;
    Down(20, 30);
    Move(21, 30);
    Move(40, 80);
    Up(40, 80);
    Move(100, 100);  // pen lifted: still a move of the window, still drawn
    presenter.AddCall([&] {
        const ui::Framebuffer& screen = desktop.Screen();
        for (const Point p : {Point{20, 30}, Point{21, 30}, Point{40, 80}, Point{100, 100}}) {
            EXPECT_EQ(screen.GetPixel(p.x, p.y), kWhite) << p.x << "," << p.y;
        }
        EXPECT_EQ(LitPixelsOutsideReadouts(), 4);
        EXPECT_EQ(ReadoutMismatches({{"100", "100"}}), 0);
        dlg.EndDialog(ui::IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), ui::IDOK);
}

struct SecondTap {
    const char* name;
    std::uint64_t afterMs;
    int dx;
    int dy;
    bool closes;
};

class TouchPanelTapTest : public TouchPanelTest {
  protected:
    // A tap at (100, 100), then after afterMs one dx, dy from it; the
    // dialog's result: IDCANCEL when the taps closed it, IDOK when the test
    // ended it.
    int TwoTaps(const SecondTap& c) {
        CTouchPanelDlg dlg;
        Down(100, 100);
        Up(100, 100);
        presenter.AddWait(c.afterMs);
        Down(100 + c.dx, 100 + c.dy);
        Up(100 + c.dx, 100 + c.dy);
        presenter.AddCall([&] { dlg.EndDialog(ui::IDOK); });
        const int result = dlg.DoModal();
        presenter.ClearSteps();
        return result;
    }
};

TEST_F(TouchPanelTapTest, ASecondPenDownSoonAndCloseClosesTheWindow) {
    const std::vector<SecondTap> cases = {
        {"4 px in both axes", 100, 4, 4, true},
        {"4 px left and up", 100, -4, -4, true},
        {"5 px in x", 100, 5, 0, false},
        {"5 px in y", 100, 0, -5, false},
        {"3 px at 299 ms", 299, 3, 0, true},
        {"3 px at 301 ms", 301, 3, 0, false},
        {"same place after 600 ms", 600, 0, 0, false},
        // The system's double click (2 px, 500 ms) closes it only while the
        // tap timer runs.
        {"double click at 200 ms", 200, 1, 1, true},
        {"double click at 400 ms", 400, 0, 0, false},
        {"double click at 450 ms, 2 px", 450, 2, 2, false},
    };
    for (const SecondTap& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TwoTaps(c), c.closes ? ui::IDCANCEL : ui::IDOK);
        clock.Advance(1000);
    }
}

// A double click after the tap timer is a pen-down like any other: it is
// plotted and starts a tap of its own.
TEST_F(TouchPanelTest, ALateDoubleClickIsAnOrdinaryPenDown) {
    CTouchPanelDlg dlg;
    Down(100, 100);
    Up(100, 100);
    presenter.AddWait(400);
    Down(101, 102);
    Up(101, 102);
    bool open = false;
    presenter.AddCall([&] {
        open = true;
        EXPECT_EQ(desktop.Screen().GetPixel(101, 102), kWhite);
        EXPECT_EQ(ReadoutMismatches({{"101", "102"}}), 0);
    });
    presenter.AddWait(100);
    Down(103, 104);
    Up(103, 104);
    presenter.AddCall([&] { dlg.EndDialog(ui::IDOK); });
    EXPECT_EQ(dlg.DoModal(), ui::IDCANCEL);
    EXPECT_TRUE(open) << "closed by the double click";
}

// Without its tap timer the window cannot tell the time: the tap stays
// pending, so a later tap close by still closes it.
TEST_F(TouchPanelTapTest, WithoutTheTapTimerATapCloseByStillCloses) {
    desktop.SetTimerFailureHook([](ui::HWND, ui::UINT_PTR) { return true; });
    for (const SecondTap& c : {SecondTap{"4 px after 2 s", 2000, 4, 4, true},
                               SecondTap{"5 px after 100 ms", 100, 5, 0, false}}) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TwoTaps(c), c.closes ? ui::IDCANCEL : ui::IDOK);
    }
}

TEST_F(TouchPanelTest, TheDoubleTapIsMeasuredFromWhereTheStrokeEnded) {
    struct Case {
        const char* name;
        Point second;
        bool closes;
    } cases[] = {
        {"at the end of the stroke", {152, 147}, true},
        {"near where the stroke began", {103, 100}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTouchPanelDlg dlg;
        Down(100, 100);
        Move(130, 120);
        Move(150, 150);
        Up(150, 150);
        presenter.AddWait(100);
        Down(c.second.x, c.second.y);
        Up(c.second.x, c.second.y);
        presenter.AddCall([&] { dlg.EndDialog(ui::IDOK); });
        EXPECT_EQ(dlg.DoModal(), c.closes ? ui::IDCANCEL : ui::IDOK);
        presenter.ClearSteps();
        clock.Advance(1000);
    }
}

}  // namespace
