// Controls: radio groups, up-down with its buddy, slider notifications, tab
// selection and the scrolling edit.
#include <string>

#include "ui_fixture.h"

namespace ui::test {
namespace {

// --- radio buttons ---------------------------------------------------------

constexpr int kA1 = 1101, kA2 = 1102, kA3 = 1103;
constexpr int kB1 = 1111, kB2 = 1112;
constexpr int kIndicator = 1121, kPushLike1 = 1131, kPushLike2 = 1132, kBox = 1140;
constexpr int kPlain = 1150;

DialogTemplate RadioTemplate() {
    DialogTemplate t = BasicTemplate();
    // The group box lies on top of the first group, as in a resource script
    // that lists it first: taps go through it.
    t.items.push_back(GroupBox(kBox, "Set A", 5, 2, 80, 50));
    t.items.push_back(AutoRadioButton(kA1, "A1", 10, 12, 60, 10, WS_GROUP));
    t.items.push_back(AutoRadioButton(kA2, "A2", 10, 24, 60, 10));
    t.items.push_back(AutoRadioButton(kA3, "A3", 10, 36, 60, 10));
    t.items.push_back(AutoRadioButton(kB1, "B1", 90, 12, 60, 10, WS_GROUP));
    t.items.push_back(AutoRadioButton(kB2, "B2", 90, 24, 60, 10));
    t.items.push_back(AutoRadioButton(kIndicator, "tuned", 90, 40, 60, 10, WS_GROUP));
    t.items.push_back(AutoRadioButton(kPushLike1, "up", 10, 60, 30, 14, WS_GROUP | BS_PUSHLIKE));
    t.items.push_back(AutoRadioButton(kPushLike2, "down", 45, 60, 30, 14, BS_PUSHLIKE));
    t.items.push_back(PushButton(kPlain, "send", 90, 60, 30, 14, WS_GROUP));
    return t;
}

struct RadioStep {
    int tap;
    std::vector<int> checked;  // every radio that must be checked afterwards
};

TEST_F(UiTest, AutoRadioButtonsAreExclusiveWithinTheirGroup) {
    const std::vector<RadioStep> steps = {
        {kA2, {kA2}},
        {kB1, {kA2, kB1}},
        {kA3, {kA3, kB1}},
        {kB2, {kA3, kB2}},
        {kB2, {kA3, kB2}},
        {kIndicator, {kA3, kB2, kIndicator}},
        {kIndicator, {kA3, kB2, kIndicator}},
        {kPushLike2, {kA3, kB2, kIndicator, kPushLike2}},
        {kPushLike1, {kA3, kB2, kIndicator, kPushLike1}},
        {kA1, {kA1, kB2, kIndicator, kPushLike1}},
    };
    const std::vector<int> radios = {kA1, kA2, kB1, kB2, kA3, kIndicator, kPushLike1, kPushLike2};
    TestDialog dlg(RadioTemplate());
    std::vector<int> clicks;
    dlg.BindCommandRange(kA1, kPushLike2, BN_CLICKED, [&](int id) { clicks.push_back(id); });
    for (std::size_t i = 0; i < steps.size(); ++i) {
        StepTap(steps[i].tap);
        presenter.AddCall([&, i] {
            SCOPED_TRACE(i);
            for (int id : radios) {
                const bool want = std::find(steps[i].checked.begin(), steps[i].checked.end(), id) !=
                                  steps[i].checked.end();
                EXPECT_EQ(dlg.IsDlgButtonChecked(id), want ? 1U : 0U) << "radio " << id;
            }
        });
    }
    presenter.AddCall([&] { dlg.EndDialog(0); });
    dlg.DoModal();
    ASSERT_EQ(clicks.size(), steps.size());
    for (std::size_t i = 0; i < steps.size(); ++i) {
        EXPECT_EQ(clicks[i], steps[i].tap);
    }
}

TEST_F(UiTest, SetCheckChangesOnlyThatButtonAndTheGroupBoxTakesNoTaps) {
    TestDialog dlg(RadioTemplate());
    int boxClicks = 0;
    dlg.BindClicked(kBox, [&] { ++boxClicks; });
    presenter.AddCall([&] {
        auto* a1 = static_cast<CButton*>(dlg.GetDlgItem(kA1));
        auto* a2 = static_cast<CButton*>(dlg.GetDlgItem(kA2));
        a1->SetCheck(BST_CHECKED);
        a2->SetCheck(BST_CHECKED);
        EXPECT_EQ(a1->GetCheck(), BST_CHECKED);
        EXPECT_EQ(a2->GetCheck(), BST_CHECKED);
        const Rect box = Info(kBox).screenRect;
        desktop.Tap(box.right - 3, box.bottom - 3);  // inside the box, on no radio
    });
    presenter.AddCall([&] {
        EXPECT_EQ(boxClicks, 0);
        dlg.EndDialog(0);
    });
    dlg.DoModal();
}

TEST_F(UiTest, APushButtonClicksOnlyWhenThePenLiftsInsideIt) {
    TestDialog dlg(RadioTemplate());
    int clicks = 0;
    dlg.BindClicked(kPlain, [&] { ++clicks; });
    presenter.AddCall([&] {
        const Rect r = Info(kPlain).screenRect;
        desktop.PenDown(r.left + 2, r.top + 2);
        desktop.PenMove(r.right + 20, r.top + 2);
        desktop.PenUp(r.right + 20, r.top + 2);  // slid off: no click
        desktop.PenDown(r.left + 2, r.top + 2);
        desktop.PenMove(r.right + 20, r.top + 2);
        desktop.PenMove(r.left + 3, r.top + 3);
        desktop.PenUp(r.left + 3, r.top + 3);
    });
    presenter.AddCall([&] {
        EXPECT_EQ(clicks, 1);
        dlg.GetDlgItem(kPlain)->EnableWindow(FALSE);
        TapControl(kPlain);
    });
    presenter.AddCall([&] {
        EXPECT_EQ(clicks, 1);
        dlg.EndDialog(0);
    });
    dlg.DoModal();
}

// --- up-down ---------------------------------------------------------------

constexpr int kBuddy = 1032, kSpin = 1031, kOther = 1033;

DialogTemplate SpinTemplate(DWORD extra) {
    DialogTemplate t = BasicTemplate();
    t.items.push_back(EditText(kBuddy, 10, 10, 30, 15));
    t.items.push_back(
        UpDown(kSpin, 40, 10, 11, 15, UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | extra));
    t.items.push_back(EditText(kOther, 10, 40, 30, 15));
    return t;
}

// Taps the up (or down) arrow of the spin.
void TapArrow(UiTest& test, Desktop& desktop, bool up) {
    static_cast<void>(test);
    const Rect r = desktop.Describe(desktop.FindControl(kSpin))->screenRect;
    const int y = up ? r.top + 2 : r.bottom - 3;
    desktop.Tap(r.left + r.Width() / 2, y);
}

struct SpinCase {
    const char* name;
    int lower;
    int upper;
    const char* buddy;
    bool up;
    LRESULT veto;
    int notifiedPos;
    int notifiedDelta;
    const char* buddyAfter;
};

TEST_F(UiTest, UpDownAsksItsParentBeforeEveryStep) {
    const std::vector<SpinCase> cases = {
        {"up", 0, 9, "5", true, 0, 5, 1, "6"},
        {"down", 0, 9, "5", false, 0, 5, -1, "4"},
        {"vetoed", 0, 9, "5", true, 1, 5, 1, "5"},
        {"at the top", 0, 9, "9", true, 0, 9, 1, "9"},
        {"at the bottom", 0, 9, "0", false, 0, 0, -1, "0"},
        {"reversed range", 9, 0, "5", true, 0, 5, -1, "4"},
        {"empty range", 0, -1, "-1", true, 0, -1, -1, "-1"},
        {"typed text", 0, 9, " 7 ", true, 0, 7, 1, "8"},
        {"not a number", 0, 9, "abc", true, 0, 3, 1, "4"},
        {"out of range", 0, 9, "12", false, 0, 3, -1, "2"},
    };
    for (const SpinCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestDialog dlg(SpinTemplate(UDS_NOTHOUSANDS));
        std::vector<std::pair<int, int>> notified;
        std::vector<UINT> scrolls;
        dlg.BindNotify(kSpin, UDN_DELTAPOS, [&](NMHDR* h, LRESULT* result) {
            const auto* nm = reinterpret_cast<NMUPDOWN*>(h);
            notified.emplace_back(nm->iPos, nm->iDelta);
            *result = c.veto;
        });
        dlg.BindMessage(WM_VSCROLL, [&](WPARAM w, LPARAM) {
            scrolls.push_back(LOWORD(w));
            return 0;
        });
        presenter.AddCall([&] {
            auto* spin = static_cast<CSpinButtonCtrl*>(dlg.GetDlgItem(kSpin));
            spin->SetRange32(c.lower, c.upper);
            spin->SetPos(3);
            dlg.SetDlgItemText(kBuddy, c.buddy);
            TapArrow(*this, desktop, c.up);
        });
        presenter.AddCall([&] {
            EXPECT_EQ(Info(kBuddy).text, c.buddyAfter);
            dlg.EndDialog(0);
        });
        dlg.DoModal();
        EXPECT_EQ(notified, (std::vector<std::pair<int, int>>{{c.notifiedPos, c.notifiedDelta}}));
        const bool moved = std::string(c.buddyAfter) != c.buddy;
        const std::vector<UINT> expected = moved ? std::vector<UINT>{SB_THUMBPOSITION, SB_ENDSCROLL}
                                                 : std::vector<UINT>{SB_ENDSCROLL};
        EXPECT_EQ(scrolls, expected);
    }
}

TEST_F(UiTest, GetPosFlagsABuddyTextThatIsNotANumber) {
    TestDialog dlg(SpinTemplate(UDS_NOTHOUSANDS));
    presenter.AddCall([&] {
        auto* spin = static_cast<CSpinButtonCtrl*>(dlg.GetDlgItem(kSpin));
        spin->SetRange(0, 9);
        spin->SetPos(4);
        EXPECT_EQ(Info(kBuddy).text, "4");
        EXPECT_EQ(spin->GetPos(), 4);
        dlg.SetDlgItemText(kBuddy, "7");
        EXPECT_EQ(spin->GetPos(), 7);
        dlg.SetDlgItemText(kBuddy, "x7");
        EXPECT_EQ(LOWORD(static_cast<unsigned>(spin->GetPos())), 7);
        EXPECT_NE(HIWORD(static_cast<unsigned>(spin->GetPos())), 0);
        dlg.SetDlgItemText(kBuddy, "");
        EXPECT_NE(HIWORD(static_cast<unsigned>(spin->GetPos())), 0);
        // A negative position shows in the low 16 bits as they are.
        spin->SetRange(-5, 5);
        spin->SetPos(-1);
        EXPECT_EQ(spin->GetPos(), 0xFFFF);
        BOOL error = TRUE;
        EXPECT_EQ(spin->GetPos32(&error), -1);
        EXPECT_EQ(error, FALSE);
        dlg.EndDialog(0);
    });
    dlg.DoModal();
}

TEST_F(UiTest, BuddyNumbersHaveThousandsSeparatorsUnlessToldNot) {
    for (DWORD style : {DWORD{0}, UDS_NOTHOUSANDS}) {
        TestDialog dlg(SpinTemplate(style));
        presenter.AddCall([&] {
            auto* spin = static_cast<CSpinButtonCtrl*>(dlg.GetDlgItem(kSpin));
            spin->SetRange(875, 1080);
            spin->SetPos(1079);
            TapArrow(*this, desktop, true);
        });
        presenter.AddCall([&] {
            EXPECT_EQ(Info(kBuddy).text, style == 0 ? "1,080" : "1080");
            auto* spin = static_cast<CSpinButtonCtrl*>(dlg.GetDlgItem(kSpin));
            EXPECT_EQ(spin->GetPos(), 1080);
            dlg.EndDialog(0);
        });
        dlg.DoModal();
    }
}

TEST_F(UiTest, AnAutoBuddyIsThePreviousControlAndTakesArrowKeys) {
    TestDialog dlg(SpinTemplate(UDS_NOTHOUSANDS | UDS_ARROWKEYS));
    presenter.AddCall([&] {
        auto* spin = static_cast<CSpinButtonCtrl*>(dlg.GetDlgItem(kSpin));
        EXPECT_EQ(spin->GetBuddy(), dlg.GetDlgItem(kBuddy));
        // Aligned right: the spin sits on the buddy's right edge.
        const Rect buddy = Info(kBuddy).screenRect;
        const Rect arrows = Info(kSpin).screenRect;
        EXPECT_EQ(arrows.left, buddy.right - 2);
        EXPECT_EQ(arrows.top, buddy.top);
        EXPECT_EQ(arrows.bottom, buddy.bottom);
        spin->SetRange(0, 10);
        spin->SetPos(5);
        dlg.GetDlgItem(kBuddy)->SetFocus();
    });
    presenter.AddKey(Key::Up);
    presenter.AddKey(Key::Up);
    presenter.AddKey(Key::Down);
    presenter.AddCall([&] {
        EXPECT_EQ(Info(kBuddy).text, "6");
        dlg.GetDlgItem(kOther)->SetFocus();
    });
    presenter.AddKey(Key::Up);  // another edit: nothing
    presenter.AddCall([&] {
        EXPECT_EQ(Info(kBuddy).text, "6");
        dlg.EndDialog(0);
    });
    dlg.DoModal();
}

// --- slider ------------------------------------------------------------------

constexpr int kSlider = 1053;

struct Scroll {
    UINT code;
    UINT pos;         // the position the message carries
    int positionNow;  // GetPos() inside the handler
    bool operator==(const Scroll&) const = default;
};

class SliderTest : public UiTest {
  protected:
    void SetUp() override {
        DialogTemplate t = BasicTemplate();
        t.items.push_back(Trackbar(kSlider, 20, 10, 30, 77, TBS_VERT | TBS_AUTOTICKS));
        dlg = std::make_unique<TestDialog>(t);
        dlg->onInit = [](TestDialog& d) {
            auto* slider = static_cast<CSliderCtrl*>(d.GetDlgItem(kSlider));
            slider->SetRange(0, 10);
            slider->SetTicFreq(1);
            slider->SetPageSize(2);
            slider->SetLineSize(1);
            slider->SetPos(4);
        };
        dlg->BindMessage(WM_VSCROLL, [this](WPARAM w, LPARAM l) {
            auto* bar = static_cast<CSliderCtrl*>(CWnd::FromHandle(reinterpret_cast<HWND>(l)));
            EXPECT_EQ(bar, dlg->GetDlgItem(kSlider));
            scrolls.push_back({LOWORD(w), HIWORD(w), bar->GetPos()});
            return 0;
        });
    }
    // The slider's thumb centre (position p of 0..10) in screen pixels.
    Point ThumbAt(int p) {
        const Rect r = Info(kSlider).screenRect;
        const int margin = 8;
        const int length = r.Height() - 2 * margin;
        return {r.left + r.Width() / 2, r.top + margin + p * length / 10};
    }
    std::unique_ptr<TestDialog> dlg;
    std::vector<Scroll> scrolls;
};

TEST_F(SliderTest, ATapBesideTheThumbPagesTowardsIt) {
    presenter.AddCall([&] {
        const Point below = ThumbAt(9);
        desktop.Tap(below.x, below.y);
        const Point above = ThumbAt(0);
        desktop.Tap(above.x, above.y);
    });
    presenter.AddCall([&] { dlg->EndDialog(0); });
    dlg->DoModal();
    EXPECT_EQ(
        scrolls,
        (std::vector<Scroll>{
            {TB_PAGEDOWN, 0, 6}, {TB_ENDTRACK, 0, 6}, {TB_PAGEUP, 0, 4}, {TB_ENDTRACK, 0, 4}}));
}

TEST_F(SliderTest, DraggingTheThumbTracksThenEnds) {
    presenter.AddCall([&] {
        const Point from = ThumbAt(4);
        desktop.PenDown(from.x, from.y);
        const Point to = ThumbAt(7);
        desktop.PenMove(to.x + 40, to.y);  // sideways off the slider still drags
        const Point far = ThumbAt(10);
        desktop.PenMove(far.x, far.y + 50);  // past the end: the maximum
        desktop.PenUp(far.x, far.y + 50);
    });
    presenter.AddCall([&] { dlg->EndDialog(0); });
    dlg->DoModal();
    EXPECT_EQ(scrolls, (std::vector<Scroll>{{TB_THUMBTRACK, 7, 7},
                                            {TB_THUMBTRACK, 10, 10},
                                            {TB_THUMBPOSITION, 10, 10},
                                            {TB_ENDTRACK, 0, 10}}));
}

TEST_F(SliderTest, ArrowKeysStepByTheLineSizeWithinTheRange) {
    presenter.AddCall([&] {
        dlg->GetDlgItem(kSlider)->SetFocus();
        static_cast<CSliderCtrl*>(dlg->GetDlgItem(kSlider))->SetPos(1);
    });
    presenter.AddKey(Key::Up);
    presenter.AddKey(Key::Up);
    presenter.AddKey(Key::Down);
    presenter.AddCall([&] { dlg->EndDialog(0); });
    dlg->DoModal();
    EXPECT_EQ(scrolls, (std::vector<Scroll>{{TB_LINEUP, 0, 0},
                                            {TB_ENDTRACK, 0, 0},
                                            {TB_LINEUP, 0, 0},
                                            {TB_ENDTRACK, 0, 0},
                                            {TB_LINEDOWN, 0, 1},
                                            {TB_ENDTRACK, 0, 1}}));
}

// --- tab control ---------------------------------------------------------------

constexpr int kTab = 1000;

TEST_F(UiTest, TappingATabHeaderSelectsItAndTellsTheParent) {
    DialogTemplate t = BasicTemplate();
    t.items.push_back(TabControl(kTab, 0, 0, 170, 100));
    TestDialog dlg(t);
    std::vector<std::string> events;
    bool vetoNext = false;
    CTabCtrl* tab = nullptr;
    dlg.BindNotify(kTab, TCN_SELCHANGING, [&](NMHDR*, LRESULT* r) {
        events.push_back("changing from " + std::to_string(tab->GetCurSel()));
        *r = vetoNext ? 1 : 0;
    });
    dlg.BindNotify(kTab, TCN_SELCHANGE, [&](NMHDR* h, LRESULT*) {
        EXPECT_EQ(h->hwndFrom, tab->m_hWnd);
        events.push_back("changed to " + std::to_string(tab->GetCurSel()));
    });
    auto tapHeader = [&](int index) {
        Rect r;
        ASSERT_TRUE(tab->GetItemRect(index, &r));
        tab->ClientToScreen(&r);
        desktop.Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    };
    presenter.AddCall([&] {
        tab = static_cast<CTabCtrl*>(dlg.GetDlgItem(kTab));
        EXPECT_EQ(tab->GetCurSel(), -1);
        for (const char* name : {"Ver", "Ship", "Diag"}) {
            tab->InsertItem(tab->GetItemCount(), name);
        }
        EXPECT_EQ(tab->GetItemCount(), 3);
        EXPECT_EQ(tab->GetCurSel(), 0);
        tapHeader(2);
    });
    presenter.AddCall([&] { tapHeader(2); });  // the current one: nothing
    presenter.AddCall([&] {
        vetoNext = true;
        tapHeader(1);
    });
    presenter.AddCall([&] {
        EXPECT_EQ(tab->GetCurSel(), 2);
        EXPECT_EQ(tab->SetCurSel(0), 2);  // no notification
        dlg.EndDialog(0);
    });
    dlg.DoModal();
    EXPECT_EQ(events,
              (std::vector<std::string>{"changing from 0", "changed to 2", "changing from 2"}));
}

// --- edit ----------------------------------------------------------------------

constexpr int kLog = 1003;

TEST_F(UiTest, ALongTextScrollsInAMultiLineEdit) {
    DialogTemplate t = BasicTemplate();
    t.items.push_back(EditText(kLog, 10, 10, 120, 40, ES_MULTILINE | ES_READONLY | WS_VSCROLL));
    TestDialog dlg(t);
    std::string text;
    for (int i = 0; i < 20; ++i) {
        text += "line " + std::to_string(i) + "\r\n";
    }
    text += "last";
    presenter.AddCall([&] {
        auto* edit = static_cast<CEdit*>(dlg.GetDlgItem(kLog));
        edit->SetWindowText(text);
        EXPECT_EQ(edit->GetLineCount(), 21);
        EXPECT_EQ(edit->GetFirstVisibleLine(), 0);
        // The scroll bar's down arrow, then the track below the thumb.
        const Rect r = Info(kLog).screenRect;
        desktop.Tap(r.right - 6, r.bottom - 6);
    });
    presenter.AddCall([&] {
        auto* edit = static_cast<CEdit*>(dlg.GetDlgItem(kLog));
        EXPECT_EQ(edit->GetFirstVisibleLine(), 1);
        const Rect r = Info(kLog).screenRect;
        desktop.Tap(r.right - 6, r.bottom - 20);
    });
    presenter.AddCall([&] {
        auto* edit = static_cast<CEdit*>(dlg.GetDlgItem(kLog));
        const int page = edit->GetFirstVisibleLine() - 1;
        EXPECT_GT(page, 1);  // a page is the lines that fit
        edit->LineScroll(100);
        const int last = edit->GetFirstVisibleLine();
        EXPECT_EQ(last, 21 - page);
        edit->SetWindowText("short");
        EXPECT_EQ(edit->GetFirstVisibleLine(), 0);
        EXPECT_EQ(edit->GetLineCount(), 1);
        dlg.EndDialog(0);
    });
    dlg.DoModal();
}

TEST_F(UiTest, AMultiLineEditWrapsAtBlanksToItsWidth) {
    DialogTemplate t = BasicTemplate();
    t.items.push_back(EditText(kLog, 10, 10, 60, 60, ES_MULTILINE));
    t.items.push_back(EditText(kOther, 10, 80, 60, 12, ES_MULTILINE | ES_AUTOHSCROLL));
    TestDialog dlg(t);
    presenter.AddCall([&] {
        const std::string words = "alpha beta gamma delta epsilon zeta eta theta";
        dlg.SetDlgItemText(kLog, words);
        dlg.SetDlgItemText(kOther, words);
        const int wrapped = static_cast<CEdit*>(dlg.GetDlgItem(kLog))->GetLineCount();
        EXPECT_GT(wrapped, 2);
        EXPECT_EQ(static_cast<CEdit*>(dlg.GetDlgItem(kOther))->GetLineCount(), 1);
        // A word wider than the box is cut, never lost.
        dlg.SetDlgItemText(kLog, std::string(200, 'W'));
        EXPECT_GT(static_cast<CEdit*>(dlg.GetDlgItem(kLog))->GetLineCount(), 2);
        EXPECT_EQ(Info(kLog).text, std::string(200, 'W'));
        dlg.EndDialog(0);
    });
    dlg.DoModal();
}

}  // namespace
}  // namespace ui::test
