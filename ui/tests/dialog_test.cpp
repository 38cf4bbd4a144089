// Dialogs: ownership and the disabled owner, the ways a dialog ends (close
// box, caption OK, Enter, Esc, quitting), data exchange and the rerun of one
// dialog object.
#include "ui_fixture.h"

namespace ui::test {
namespace {

constexpr int kValue = 1010;
constexpr int kButton = 1011;
constexpr int kDefault = 1012;

TEST_F(UiTest, AModalDialogDisablesItsOwnerUntilItEnds) {
    TestDialog owner(BasicTemplate("Owner"));
    TestDialog child(BasicTemplate("Child"));  // no parent: the active window owns it
    bool ownerEnabledDuring = true;
    CWnd* parentSeen = nullptr;
    owner.BindMessage(WM_USER + 1, [&](WPARAM, LPARAM) {
        child.DoModal();
        return 0;
    });
    presenter.AddCall([&] { owner.PostMessage(WM_USER + 1); });
    presenter.AddCall([&] {
        ownerEnabledDuring = owner.IsWindowEnabled() != FALSE;
        parentSeen = child.GetParent();
        EXPECT_EQ(desktop.TopLevelWindows().front(), child.m_hWnd);
        child.EndDialog(0);
    });
    presenter.AddCall([&] {
        EXPECT_EQ(owner.IsWindowEnabled(), TRUE);
        owner.EndDialog(0);
    });
    owner.DoModal();
    EXPECT_FALSE(ownerEnabledDuring);
    EXPECT_EQ(parentSeen, &owner);
}

TEST_F(UiTest, TapsOutsideTheTopModalWindowAreIgnored) {
    DialogTemplate big = BasicTemplate("Owner");
    big.items.push_back(PushButton(kButton, "Owner's", 0, 0, 50, 14));
    TestDialog owner(big);
    DialogTemplate small = BasicTemplate("Child");
    small.style |= DS_CENTER;
    small.cx = 60;
    small.cy = 40;
    TestDialog child(small);
    int ownerClicks = 0;
    owner.BindClicked(kButton, [&] { ++ownerClicks; });
    owner.BindMessage(WM_USER + 1, [&](WPARAM, LPARAM) {
        child.DoModal();
        return 0;
    });
    Point ownerButton;
    presenter.AddCall([&] {
        ownerButton = CenterOf(kButton);
        owner.PostMessage(WM_USER + 1);
    });
    presenter.AddCall([&] { desktop.Tap(ownerButton.x, ownerButton.y); });
    presenter.AddCall([&] {
        EXPECT_EQ(ownerClicks, 0);
        child.EndDialog(0);
    });
    presenter.AddCall([&] { desktop.Tap(ownerButton.x, ownerButton.y); });
    presenter.AddCall([&] { owner.EndDialog(0); });
    owner.DoModal();
    EXPECT_EQ(ownerClicks, 1);
}

// How each way of ending a dialog comes out, with the stock OnOK / OnCancel.
struct EndCase {
    const char* name;
    std::function<void(UiTest&, Desktop&, HWND)> act;
    int expected;
};

TEST_F(UiTest, EveryWayOfEndingADialogGivesItsResult) {
    const std::vector<EndCase> cases = {
        {"close box",
         [](UiTest&, Desktop& d, HWND h) {
             const Rect r = *d.CloseBoxRect(h);
             d.Tap(r.left + 3, r.top + 3);
         },
         IDCANCEL},
        {"caption OK",
         [](UiTest&, Desktop& d, HWND h) {
             const Rect r = *d.OkBoxRect(h);
             d.Tap(r.left + 3, r.top + 3);
         },
         IDOK},
        {"Esc", [](UiTest&, Desktop& d, HWND) { d.KeyDown(Key::Escape); }, IDCANCEL},
        {"Enter", [](UiTest&, Desktop& d, HWND) { d.KeyDown(Key::Enter); }, IDOK},
        {"WM_CLOSE", [](UiTest&, Desktop&, HWND h) { ui::SendMessage(h, WM_CLOSE, 0, 0); },
         IDCANCEL},
        {"quit", [](UiTest&, Desktop& d, HWND) { d.Quit(); }, -1},  // last: it is final
    };
    for (const EndCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestDialog dlg(BasicTemplate());
        presenter.AddCall([&] { c.act(*this, desktop, dlg.m_hWnd); });
        presenter.AddCall([&] { dlg.EndDialog(99); });  // runs only if the action failed
        EXPECT_EQ(dlg.DoModal(), c.expected);
        presenter.ClearSteps();
    }
}

// Enter as the Windows dialog manager takes it: the focused push button is
// clicked, and looks like the default one; with the focus elsewhere the
// dialog's default push button (the template's, or DM_SETDEFID's) is, and
// without one Enter is IDOK.
TEST_F(UiTest, EnterClicksTheFocusedPushButtonElseTheDefaultOne) {
    struct Case {
        const char* name;
        bool withDefault;  // the template has a DEFPUSHBUTTON
        std::function<void(TestDialog&)> act;
        int looksDefault;  // the push button drawn as the default (0: none)
        std::vector<int> clicked;
        int result;  // 99: Enter did not end the dialog
    };
    const auto focusEdit = [](TestDialog& d) { d.GotoDlgCtrl(d.GetDlgItem(kValue)); };
    const std::vector<Case> cases = {
        {"focus on the first tab stop, a push button",
         true,
         [](TestDialog&) {},
         kButton,
         {kButton},
         99},
        {"a push button tapped",
         true,
         [&](TestDialog& d) {
             focusEdit(d);
             TapControl(kButton);
         },
         kButton,
         {kButton, kButton},
         99},
        {"focus on an edit", true, focusEdit, kDefault, {kDefault}, 99},
        {"Tab onto the default button",
         true,
         [&](TestDialog&) {
             desktop.KeyDown(Key::Tab);
             desktop.KeyDown(Key::Tab);
         },
         kDefault,
         {kDefault},
         99},
        {"DM_SETDEFID",
         true,
         [&](TestDialog& d) {
             d.SetDefID(kButton);
             focusEdit(d);
             EXPECT_EQ(d.GetDefID(), static_cast<DWORD>(MAKELONG(kButton, DC_HASDEFID)));
         },
         kButton,
         {kButton},
         99},
        {"a disabled default button",
         true,
         [&](TestDialog& d) {
             focusEdit(d);
             d.GetDlgItem(kDefault)->EnableWindow(FALSE);
         },
         kDefault,
         {},
         99},
        {"no default button",
         false,
         [&](TestDialog& d) {
             focusEdit(d);
             EXPECT_EQ(d.GetDefID(), 0U);
         },
         0,
         {},
         IDOK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DialogTemplate t = BasicTemplate();
        t.items.push_back(PushButton(kButton, "Other", 10, 10, 40, 14));
        t.items.push_back(EditText(kValue, 10, 30, 40, 12));
        t.items.push_back(c.withDefault ? DefPushButton(kDefault, "Default", 60, 10, 40, 14)
                                        : PushButton(kDefault, "Default", 60, 10, 40, 14));
        TestDialog dlg(t);
        std::vector<int> clicked;
        dlg.BindClicked(kButton, [&] { clicked.push_back(kButton); });
        dlg.BindClicked(kDefault, [&] { clicked.push_back(kDefault); });
        presenter.AddCall([&] { c.act(dlg); });
        presenter.AddCall([&] {
            for (const int id : {kButton, kDefault}) {
                EXPECT_EQ((Info(id).style & BS_TYPEMASK) == BS_DEFPUSHBUTTON, id == c.looksDefault)
                    << id;
            }
        });
        presenter.AddKey(Key::Enter);
        presenter.AddCall([&] { dlg.EndDialog(99); });
        EXPECT_EQ(dlg.DoModal(), c.result);
        EXPECT_EQ(clicked, c.clicked);
        presenter.ClearSteps();
    }
}

TEST_F(UiTest, ADialogThatEndsInOnInitDialogIsNeverShown) {
    TestDialog dlg(BasicTemplate());
    dlg.onInit = [](TestDialog& d) { d.EndDialog(3); };
    EXPECT_EQ(dlg.DoModal(), 3);
    EXPECT_EQ(dlg.paintCount, 0);
    EXPECT_EQ(presenter.PendingSteps(), 0U);
}

TEST_F(UiTest, IntegerExchangeFillsTheEditAndReadsItBack) {
    DialogTemplate t = BasicTemplate();
    t.items.push_back(EditText(kValue, 10, 10, 40, 12));
    TestDialog dlg(t);
    int value = -17;
    dlg.exchange = [&](CDataExchange* dx) { DDX_Text(dx, kValue, value); };
    presenter.AddCall([&] {
        EXPECT_EQ(Info(kValue).text, "-17");
        dlg.SetDlgItemText(kValue, " 42 ");
    });
    presenter.AddKey(Key::Escape);  // Cancel: nothing is read back
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(value, -17);

    presenter.AddCall([&] { dlg.SetDlgItemText(kValue, "+42"); });
    presenter.AddCall([&] { dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED)); });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(value, 42);
}

TEST_F(UiTest, TextThatIsNotAnIntegerKeepsTheDialogOpen) {
    DialogTemplate t = BasicTemplate();
    t.items.push_back(EditText(kValue, 10, 10, 40, 12));
    TestDialog dlg(t);
    int value = 5;
    dlg.exchange = [&](CDataExchange* dx) { DDX_Text(dx, kValue, value); };
    for (const char* bad : {"", "12a", "9999999999", "-", "1 2"}) {
        SCOPED_TRACE(bad);
        std::optional<MessageBoxInfo> shown;
        desktop.SetMessageBoxHook([&](const MessageBoxInfo& info) {
            shown = info;
            return std::optional<int>(IDOK);
        });
        presenter.AddCall([&, bad] { dlg.SetDlgItemText(kValue, bad); });
        presenter.AddCall([&] { dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED)); });
        presenter.AddCall([&] {
            ASSERT_TRUE(shown.has_value());
            EXPECT_EQ(shown->text, "Please enter an integer.");
            EXPECT_TRUE(dlg.IsRunning());
            EXPECT_EQ(CWnd::GetFocus(), dlg.GetDlgItem(kValue));
            dlg.EndDialog(0);
        });
        EXPECT_EQ(dlg.DoModal(), 0);
        EXPECT_EQ(value, 5);
    }
}

class BoundDialog : public CDialog {
  public:
    BoundDialog() : CDialog(Template()) {}
    static DialogTemplate Template() {
        DialogTemplate t = BasicTemplate();
        t.items.push_back(PushButton(kButton, "Go", 10, 10, 40, 14));
        t.items.push_back(EditText(kValue, 10, 30, 40, 12));
        return t;
    }
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Control(dx, kButton, m_button);
        DDX_Control(dx, kValue, m_edit);
    }
    CButton m_button;
    CEdit m_edit;
};

TEST_F(UiTest, BoundMembersAreTheControlsAndAreReleasedAfterTheRun) {
    BoundDialog dlg;
    for (int run = 0; run < 2; ++run) {
        presenter.AddCall([&] {
            EXPECT_EQ(dlg.GetDlgItem(kButton), &dlg.m_button);
            EXPECT_EQ(dlg.GetDlgItem(kValue), &dlg.m_edit);
            EXPECT_EQ(dlg.m_button.GetDlgCtrlID(), kButton);
            EXPECT_EQ(dlg.m_edit.GetParent(), &dlg);
            dlg.EndDialog(run);
        });
        EXPECT_EQ(dlg.DoModal(), run);
        EXPECT_EQ(dlg.m_button.m_hWnd, nullptr);
        EXPECT_EQ(dlg.m_edit.m_hWnd, nullptr);
    }
}

TEST_F(UiTest, DialogUnitsConvertWithTheSystemFontsBaseUnits) {
    DialogTemplate t = BasicTemplate();
    t.items.push_back(PushButton(kButton, "Go", 10, 16, 40, 14));
    TestDialog dlg(t);
    presenter.AddCall([&] {
        Rect window;
        dlg.GetWindowRect(&window);
        Rect client;
        dlg.GetClientRect(&client);
        EXPECT_EQ(client, (Rect{0, 0, 270, 198}));
        EXPECT_LE(window.Height(), kScreenHeight);  // fits the screen with its caption
        Rect button;
        dlg.GetDlgItem(kButton)->GetWindowRect(&button);
        dlg.ScreenToClient(&button);
        EXPECT_EQ(button, (Rect{15, 26, 75, 48}));
        dlg.EndDialog(0);
    });
    dlg.DoModal();
}

TEST_F(UiTest, PlacementInScreenAndClientCoordinates) {
    DialogTemplate t = BasicTemplate();
    t.items.push_back(PushButton(kButton, "Go", 10, 10, 40, 14));
    TestDialog dlg(t);
    presenter.AddCall([&] {
        dlg.MoveWindow(0, 0, 320, 240);
        CWnd* button = dlg.GetDlgItem(kButton);
        button->MoveWindow(50, 60, 30, 20);
        Rect screen;
        button->GetWindowRect(&screen);
        Point origin{0, 0};
        dlg.ClientToScreen(&origin);
        EXPECT_EQ(screen, (Rect{50, 60, 80, 80}).Offset(origin.x, origin.y));
        button->SetWindowPos(&CWnd::wndBottom, 5, 6, 0, 0, SWP_NOSIZE);
        button->GetWindowRect(&screen);
        dlg.ScreenToClient(&screen);
        EXPECT_EQ(screen, (Rect{5, 6, 35, 26}));
        dlg.EndDialog(0);
    });
    dlg.DoModal();
}

}  // namespace
}  // namespace ui::test
