// Painting: coalesced repaints, z-order and clipping, drawing outside
// painting, a paint handler that opens a message box, and the look of the
// demo dialog against a recorded image.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "kestrin_tree.h"
#include "ui/demo_dialog.h"
#include "ui_fixture.h"

namespace ui::test {
namespace {

constexpr int kTop = 1201;
constexpr int kUnder = 1202;
constexpr int kLabel = 1203;

Rgb PixelAt(Desktop& desktop, Point p) {
    return desktop.Screen().GetPixel(p.x, p.y);
}

TEST_F(UiTest, PaintRequestsAreCoalescedIntoOnePass) {
    DialogTemplate t = BasicTemplate();
    t.items.push_back(LText(kLabel, "label", 10, 10, 50, 10));
    TestDialog dlg(t);
    std::uint64_t passes = 0;
    std::uint64_t presents = 0;
    presenter.AddCall([&] {
        EXPECT_EQ(dlg.paintCount, 1);
        passes = desktop.PaintPasses();
        for (int i = 0; i < 5; ++i) {
            dlg.Invalidate();
            dlg.SetDlgItemText(kLabel, "text " + std::to_string(i));
        }
    });
    presenter.AddCall([&] {
        EXPECT_EQ(dlg.paintCount, 2);
        EXPECT_EQ(desktop.PaintPasses(), passes + 1);
        presents = presenter.PresentCount();
    });
    presenter.AddWait(1000);  // idle: nothing is painted or presented
    presenter.AddCall([&] {
        EXPECT_EQ(dlg.paintCount, 2);
        EXPECT_EQ(presenter.PresentCount(), presents);
        dlg.EndDialog(0);
    });
    dlg.DoModal();
}

TEST_F(UiTest, SiblingsPaintBottomToTopAndHiddenOnesNotAtAll) {
    DialogTemplate t = BasicTemplate();
    t.items.push_back(EditText(kTop, 10, 10, 60, 20));                 // white
    t.items.push_back(EditText(kUnder, 30, 15, 60, 20, ES_READONLY));  // grey, below
    TestDialog dlg(t);
    Point overlap;
    const Rgb white = MakeRgb(255, 255, 255);
    const Rgb grey = MakeRgb(192, 192, 192);
    presenter.AddCall([&] {
        const Rect a = Info(kTop).screenRect;
        const Rect b = Info(kUnder).screenRect;
        overlap = {(std::max(a.left, b.left) + std::min(a.right, b.right)) / 2,
                   (std::max(a.top, b.top) + std::min(a.bottom, b.bottom)) / 2};
        EXPECT_EQ(PixelAt(desktop, overlap), white);
        dlg.GetDlgItem(kTop)->SetWindowPos(&CWnd::wndBottom, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        EXPECT_EQ(PixelAt(desktop, overlap), grey);
        dlg.GetDlgItem(kUnder)->ShowWindow(SW_HIDE);
        EXPECT_EQ(PixelAt(desktop, overlap), white);
        EXPECT_FALSE(Info(kUnder).visible);
        dlg.EndDialog(0);
    });
    dlg.DoModal();
}

TEST_F(UiTest, ChildrenAreClippedToTheirDialog) {
    DialogTemplate t = BasicTemplate();
    t.cx = 60;
    t.cy = 40;
    t.items.push_back(EditText(kTop, 40, 10, 100, 12));  // reaches past the right edge
    TestDialog dlg(t);
    presenter.AddCall([&] {
        Rect window;
        dlg.GetWindowRect(&window);
        const Rgb desktopColour = MakeRgb(0, 128, 128);
        const Rect edit = Info(kTop).screenRect;
        EXPECT_GT(edit.right, window.right);
        EXPECT_EQ(PixelAt(desktop, {window.right + 5, edit.top + 5}), desktopColour);
        dlg.EndDialog(0);
    });
    dlg.DoModal();
}

TEST_F(UiTest, ClientDrawingShowsAtOnceButStaysUnderWindowsAbove) {
    TestDialog owner(BasicTemplate("Owner"));
    const Rgb red = MakeRgb(255, 0, 0);
    owner.BindMessage(WM_USER + 1, [&](WPARAM, LPARAM) {
        AfxMessageBox("On top");
        return 0;
    });
    std::uint64_t passes = 0;
    presenter.AddCall([&] {
        passes = desktop.PaintPasses();
        CClientDC dc(&owner);
        EXPECT_EQ(dc.SetPixel(3, 4, RGB(255, 0, 0)), RGB(255, 0, 0));
        EXPECT_EQ(dc.SetPixel(-1, 4, RGB(255, 0, 0)), static_cast<COLORREF>(-1));
    });
    presenter.AddCall([&] {
        Point p{3, 4};
        owner.ClientToScreen(&p);
        EXPECT_EQ(presenter.LastFrame().GetPixel(p.x, p.y), red);
        EXPECT_EQ(desktop.PaintPasses(), passes);  // no repaint was needed
        owner.PostMessage(WM_USER + 1);
    });
    presenter.AddCall([&] {
        const auto box = desktop.Describe(desktop.TopMessageBox()->hwnd);
        const Point inside{box->screenRect.left + 3, box->screenRect.bottom - 3};
        const Rgb before = PixelAt(desktop, inside);
        CClientDC dc(&owner);
        Point client = inside;
        owner.ScreenToClient(&client);
        dc.FillSolidRect(client.x - 2, client.y - 2, 5, 5, RGB(255, 0, 0));
        EXPECT_EQ(PixelAt(desktop, inside), before);
        desktop.AnswerMessageBox(IDOK);
    });
    presenter.AddCall([&] { owner.EndDialog(0); });
    owner.DoModal();
}

// Opens a message box from its first paint, the way a check that runs on
// the first paint reports a failure.
class BoxOnFirstPaint : public TestDialog {
  public:
    BoxOnFirstPaint() : TestDialog(BasicTemplate()) {}
    int boxes = 0;
    int depth = 0;
    int deepest = 0;
    bool first = true;

  protected:
    void OnPaint() override {
        ++depth;
        deepest = std::max(deepest, depth);
        CPaintDC dc(this);
        if (first) {
            ++boxes;
            AfxMessageBox("Check failed", MB_ICONQUESTION);
            first = false;
        }
        --depth;
    }
};

TEST_F(UiTest, APaintHandlerThatOpensAMessageBoxIsNotReentered) {
    BoxOnFirstPaint dlg;
    dlg.onInit = [](TestDialog& d) {
        d.SetTimer(1, 100);
        d.onTimer = [](TestDialog& self, UINT_PTR) { self.Invalidate(); };
    };
    presenter.AddWait(500);  // the box is up; the dialog keeps asking for paint
    presenter.AddCall([&] {
        ASSERT_TRUE(desktop.TopMessageBox().has_value());
        desktop.AnswerMessageBox(IDOK);
    });
    presenter.AddWait(300);
    presenter.AddCall([&] { dlg.EndDialog(0); });
    dlg.DoModal();
    EXPECT_EQ(dlg.boxes, 1);
    EXPECT_EQ(dlg.deepest, 1);
}

TEST_F(UiTest, AnOwnersCaptionGreysWhileAModalChildRuns) {
    DialogTemplate big = BasicTemplate("Owner");
    TestDialog owner(big);
    DialogTemplate small = BasicTemplate("Child");
    small.style |= DS_CENTER;
    small.cx = 60;
    small.cy = 40;
    TestDialog child(small);
    owner.BindMessage(WM_USER + 1, [&](WPARAM, LPARAM) {
        child.DoModal();
        return 0;
    });
    const Point caption{3, 5};
    presenter.AddCall([&] {
        EXPECT_EQ(PixelAt(desktop, caption), MakeRgb(0, 0, 128));
        owner.PostMessage(WM_USER + 1);
    });
    presenter.AddCall([&] {
        EXPECT_EQ(PixelAt(desktop, caption), MakeRgb(128, 128, 128));
        child.EndDialog(0);
    });
    presenter.AddCall([&] {
        EXPECT_EQ(PixelAt(desktop, caption), MakeRgb(0, 0, 128));
        owner.EndDialog(0);
    });
    owner.DoModal();
}

// --- the recorded look ---------------------------------------------------------

// The colours the framework draws with; anything else is a blend that text
// anti-aliasing made.
bool IsPaletteColour(Rgb c) {
    static const Rgb kPalette[] = {MakeRgb(192, 192, 192), MakeRgb(255, 255, 255),
                                   MakeRgb(223, 223, 223), MakeRgb(128, 128, 128),
                                   MakeRgb(0, 0, 0),       MakeRgb(0, 0, 128),
                                   MakeRgb(0, 128, 128),   MakeRgb(224, 224, 224)};
    return std::find(std::begin(kPalette), std::end(kPalette), c) != std::end(kPalette);
}

// Texts cut short where they are drawn are known per window, and forgotten
// once the window is painted with texts that fit.
TEST_F(UiTest, TextsThatDoNotFitAreKnownUntilRepaintedWhole) {
    struct FitCase {
        const char* name;
        DialogItem item;
        bool fits;
    };
    const std::vector<FitCase> cases = {
        {"static on one line", LText(kLabel, "POWER KEY", 10, 10, 60, 10), true},
        {"static wrapped below its bottom", LText(kLabel, "POWER KEY", 10, 10, 25, 10), false},
        {"static wrapped within its height", LText(kLabel, "POWER KEY", 10, 10, 25, 20), true},
        {"push button", PushButton(kLabel, "Start calibration", 10, 10, 40, 14), false},
        {"radio button beside its glyph", AutoRadioButton(kLabel, "STORAGE", 10, 10, 40, 10),
         false},
        {"radio button with room", AutoRadioButton(kLabel, "STORAGE", 10, 10, 47, 10), true},
        // Only letters count: blanks past the edge hide nothing.
        {"blanks past the edge", AutoRadioButton(kLabel, "NOR                 ", 10, 10, 40, 10),
         true},
        {"group box label", GroupBox(kLabel, "LCD color setting", 10, 10, 40, 30), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DialogTemplate t = BasicTemplate();
        t.items.push_back(c.item);
        TestDialog dlg(t);
        presenter.AddCall([&] {
            desktop.Screen();
            EXPECT_EQ(Info(kLabel).clippedTexts.empty(), c.fits);
            dlg.SetDlgItemText(kLabel, "A");
            desktop.Screen();
            EXPECT_TRUE(Info(kLabel).clippedTexts.empty());
            dlg.EndDialog(0);
        });
        dlg.DoModal();
    }
}

TEST_F(UiTest, TheDemoDialogLooksAsRecorded) {
    const std::string path = std::string(KESTRIN_SOURCE_DIR) + "/ui/tests/golden/demo_dialog.png";
    demo::CDemoDlg dlg;
    presenter.AddCall([&] {
        const Framebuffer& screen = desktop.Screen();
        if (std::getenv("KESTRIN_UPDATE_GOLDEN") != nullptr) {
            const platform::Result<void> written = WritePng(screen, path);
            ASSERT_TRUE(written) << written.error();
            GTEST_SKIP() << "recorded " << path;
        }
        Framebuffer golden(1, 1);
        const platform::Result<void> read = ReadPng(path, &golden);
        ASSERT_TRUE(read) << read.error();
        ASSERT_EQ(golden.Width(), screen.Width());
        ASSERT_EQ(golden.Height(), screen.Height());
        int exactMisses = 0;
        int blendMisses = 0;
        for (int y = 0; y < screen.Height(); ++y) {
            for (int x = 0; x < screen.Width(); ++x) {
                const Rgb want = golden.GetPixel(x, y);
                const Rgb got = screen.GetPixel(x, y);
                if (want == got) {
                    continue;
                }
                const int diff = std::max({std::abs(RedOf(want) - RedOf(got)),
                                           std::abs(GreenOf(want) - GreenOf(got)),
                                           std::abs(BlueOf(want) - BlueOf(got))});
                // Only anti-aliased text edges may drift, and only a little.
                if (IsPaletteColour(want) || diff > 64) {
                    ++exactMisses;
                } else {
                    ++blendMisses;
                }
            }
        }
        EXPECT_EQ(exactMisses, 0);
        EXPECT_LT(blendMisses, 200);
    });
    presenter.AddCall([&] { dlg.EndDialog(0); });
    dlg.DoModal();
}

}  // namespace
}  // namespace ui::test
