// Pen and keyboard input: capture, the system double click, focus and typing.
#include "ui_fixture.h"

namespace ui::test {
namespace {

constexpr int kInputEdit = 1020;
constexpr int kReadOnly = 1021;

// Records the pen messages it gets, in client coordinates.
class PenDialog : public TestDialog {
  public:
    PenDialog() : TestDialog(BasicTemplate()) {}
    struct Event {
        UINT message;
        Point point;
        bool operator==(const Event&) const = default;
    };
    std::vector<Event> events;
    bool captureOnDown = false;

  protected:
    void OnLButtonDown(UINT, Point p) override {
        events.push_back({WM_LBUTTONDOWN, p});
        if (captureOnDown) {
            SetCapture();
        }
    }
    void OnLButtonDblClk(UINT, Point p) override { events.push_back({WM_LBUTTONDBLCLK, p}); }
    void OnMouseMove(UINT, Point p) override { events.push_back({WM_MOUSEMOVE, p}); }
    void OnLButtonUp(UINT, Point p) override {
        events.push_back({WM_LBUTTONUP, p});
        ReleaseCapture();
    }
};

TEST_F(UiTest, CaptureDeliversMovesAndThePenUpOutsideTheWindow) {
    for (bool capture : {true, false}) {
        SCOPED_TRACE(capture ? "captured" : "not captured");
        PenDialog dlg;
        dlg.captureOnDown = capture;
        Point origin;
        presenter.AddCall([&] {
            dlg.MoveWindow(40, 30, 200, 150);
            dlg.ClientToScreen(&origin);
            desktop.PenDown(origin.x + 10, origin.y + 10);
            desktop.PenMove(-7, 250);
            desktop.PenMove(330, origin.y + 5);
            desktop.PenUp(335, -2);
        });
        presenter.AddCall([&] { dlg.EndDialog(0); });
        dlg.DoModal();
        using E = PenDialog::Event;
        std::vector<E> expected = {{WM_LBUTTONDOWN, {10, 10}}};
        if (capture) {
            expected.push_back({WM_MOUSEMOVE, {-7 - origin.x, 250 - origin.y}});
            expected.push_back({WM_MOUSEMOVE, {330 - origin.x, 5}});
            expected.push_back({WM_LBUTTONUP, {335 - origin.x, -2 - origin.y}});
        }
        EXPECT_EQ(dlg.events, expected);
    }
}

struct SecondTap {
    const char* name;
    std::uint64_t afterMs;
    int dx;
    int dy;
    UINT expected;
};

TEST_F(UiTest, ASecondTapSoonAndCloseIsADoubleClick) {
    const std::vector<SecondTap> cases = {
        {"same place at once", 0, 0, 0, WM_LBUTTONDBLCLK},
        {"500 ms, 2 px away", 500, 2, -2, WM_LBUTTONDBLCLK},
        {"501 ms", 501, 0, 0, WM_LBUTTONDOWN},
        {"3 px right", 100, 3, 0, WM_LBUTTONDOWN},
        {"3 px up", 100, 0, -3, WM_LBUTTONDOWN},
    };
    for (const SecondTap& c : cases) {
        SCOPED_TRACE(c.name);
        PenDialog dlg;
        presenter.AddCall([&] { desktop.Tap(100, 100); });
        presenter.AddCall([&] {
            clock.Advance(c.afterMs);
            desktop.Tap(100 + c.dx, 100 + c.dy);
        });
        presenter.AddCall([&] {
            clock.Advance(10);
            desktop.Tap(100 + c.dx, 100 + c.dy);  // after a double click: a plain tap
        });
        presenter.AddCall([&] { dlg.EndDialog(0); });
        dlg.DoModal();
        std::vector<UINT> downs;
        for (const auto& e : dlg.events) {
            if (e.message != WM_LBUTTONUP) {
                downs.push_back(e.message);
            }
        }
        const UINT third = c.expected == WM_LBUTTONDBLCLK ? WM_LBUTTONDOWN : WM_LBUTTONDBLCLK;
        EXPECT_EQ(downs, (std::vector<UINT>{WM_LBUTTONDOWN, c.expected, third}));
    }
}

DialogTemplate EditTemplate() {
    DialogTemplate t = BasicTemplate();
    t.items.push_back(EditText(kInputEdit, 10, 10, 100, 12));
    t.items.push_back(EditText(kReadOnly, 10, 30, 100, 12, ES_READONLY));
    return t;
}

TEST_F(UiTest, TypingGoesIntoTheFocusedEditableEdit) {
    TestDialog dlg(EditTemplate());
    int changes = 0;
    dlg.BindCommand(kInputEdit, EN_CHANGE, [&] { ++changes; });
    StepTap(kInputEdit);
    presenter.AddEvent({InputEvent::Kind::Text, 0, 0, Key::None, "ab\xE2\x82\xAC"});
    presenter.AddKey(Key::Backspace);  // the euro sign goes whole
    presenter.AddKey(Key::Left);
    presenter.AddEvent({InputEvent::Kind::Text, 0, 0, Key::None, "X"});
    presenter.AddKey(Key::Home);
    presenter.AddKey(Key::Delete);
    presenter.AddCall([&] { EXPECT_EQ(Info(kInputEdit).text, "Xb"); });
    StepTap(kReadOnly);
    presenter.AddEvent({InputEvent::Kind::Text, 0, 0, Key::None, "zz"});
    presenter.AddKey(Key::Backspace);
    presenter.AddCall([&] {
        EXPECT_EQ(Info(kReadOnly).text, "");
        EXPECT_EQ(CWnd::GetFocus(), dlg.GetDlgItem(kReadOnly));
        dlg.EndDialog(0);
    });
    dlg.DoModal();
    EXPECT_EQ(changes, 6);
}

// Each character typed costs the same however long the text already is
// (laid out again in whole, a text this long would take hours).
TEST_F(UiTest, ALongTypedTextIsLaidOutAsTheSameTextSetWhole) {
    constexpr int kSet = 1100;
    constexpr int kLine = 1101;
    DialogTemplate t = BasicTemplate();
    t.items.push_back(EditText(kInputEdit, 10, 10, 100, 40, ES_MULTILINE | WS_VSCROLL));
    t.items.push_back(EditText(kSet, 10, 60, 100, 40, ES_MULTILINE | WS_VSCROLL));
    t.items.push_back(EditText(kLine, 10, 110, 100, 12));
    TestDialog dlg(t);
    std::string words;
    while (words.size() < 100'000) {
        words += "word" + std::to_string(words.size() % 997) + (words.size() % 5 == 0 ? "  " : " ");
    }
    presenter.AddEvent({InputEvent::Kind::Text, 0, 0, Key::None, words});
    StepTap(kLine);
    presenter.AddEvent({InputEvent::Kind::Text, 0, 0, Key::None, words});
    presenter.AddCall([&] {
        auto* typed = static_cast<CEdit*>(dlg.GetDlgItem(kInputEdit));
        auto* set = static_cast<CEdit*>(dlg.GetDlgItem(kSet));
        set->SetWindowText(words);
        EXPECT_EQ(Info(kInputEdit).text, words);
        EXPECT_EQ(Info(kLine).text, words);
        EXPECT_GT(typed->GetLineCount(), 1000);
        EXPECT_EQ(typed->GetLineCount(), set->GetLineCount());
        // The caret's line, the last, is in view.
        set->LineScroll(typed->GetLineCount());
        EXPECT_EQ(typed->GetFirstVisibleLine(), set->GetFirstVisibleLine());
        dlg.EndDialog(0);
    });
    dlg.DoModal();
}

TEST_F(UiTest, EnterInAWantReturnEditBreaksTheLineInsteadOfEndingTheDialog) {
    DialogTemplate t = BasicTemplate();
    t.items.push_back(EditText(kInputEdit, 10, 10, 100, 40, ES_MULTILINE | ES_WANTRETURN));
    TestDialog dlg(t);
    presenter.AddEvent({InputEvent::Kind::Text, 0, 0, Key::None, "a"});
    presenter.AddKey(Key::Enter);
    presenter.AddEvent({InputEvent::Kind::Text, 0, 0, Key::None, "b"});
    presenter.AddCall([&] {
        EXPECT_EQ(Info(kInputEdit).text, "a\r\nb");
        EXPECT_EQ(static_cast<CEdit*>(dlg.GetDlgItem(kInputEdit))->GetLineCount(), 2);
    });
    presenter.AddKey(Key::Escape);
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
}

TEST_F(UiTest, TabMovesTheFocusThroughTheTabStops) {
    TestDialog dlg(EditTemplate());
    std::vector<CWnd*> focus;
    for (int i = 0; i < 3; ++i) {
        presenter.AddCall([&] { focus.push_back(CWnd::GetFocus()); });
        presenter.AddKey(Key::Tab);
    }
    presenter.AddCall([&] { dlg.EndDialog(0); });
    dlg.DoModal();
    ASSERT_EQ(focus.size(), 3U);
    EXPECT_NE(focus[0], nullptr);
    EXPECT_NE(focus[0], focus[1]);
    EXPECT_EQ(focus[0], focus[2]);
}

}  // namespace
}  // namespace ui::test
