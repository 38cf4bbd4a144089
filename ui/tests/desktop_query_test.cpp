// What the script runner sees: controls by id through the owner chain,
// window descriptions, queue state, taking back posted messages selectively,
// and quitting while a window waits for its worker.
#include "ui_fixture.h"

namespace ui::test {
namespace {

constexpr int kShared = 1001;
constexpr int kOwnerOnly = 1051;
constexpr int kChildOnly = 1002;

TEST_F(UiTest, ControlsAreFoundInTheActiveWindowFirstThenInItsOwners) {
    DialogTemplate ownerTemplate = BasicTemplate("Owner");
    ownerTemplate.items.push_back(EditText(kOwnerOnly, 10, 10, 40, 12, ES_READONLY));
    ownerTemplate.items.push_back(LText(kShared, "owner's", 10, 30, 40, 10));
    TestDialog owner(ownerTemplate);
    DialogTemplate childTemplate = BasicTemplate("Child");
    childTemplate.style |= DS_CENTER;
    childTemplate.cx = 80;
    childTemplate.cy = 50;
    childTemplate.items.push_back(LText(kShared, "child's", 5, 5, 40, 10));
    childTemplate.items.push_back(AutoCheckBox(kChildOnly, "Check", 5, 20, 40, 10));
    TestDialog child(childTemplate);
    owner.BindMessage(WM_USER + 1, [&](WPARAM, LPARAM) {
        child.DoModal();
        return 0;
    });
    presenter.AddCall([&] {
        owner.SetDlgItemText(kOwnerOnly, "3.7");
        owner.PostMessage(WM_USER + 1);
    });
    presenter.AddCall([&] {
        EXPECT_EQ(desktop.ActiveWindow(), child.m_hWnd);
        EXPECT_EQ(desktop.TopLevelWindows(), (std::vector<HWND>{child.m_hWnd, owner.m_hWnd}));
        EXPECT_EQ(Info(kShared).text, "child's");
        const WindowInfo owned = Info(kOwnerOnly);
        EXPECT_EQ(owned.text, "3.7");
        EXPECT_EQ(owned.className, "Edit");
        EXPECT_EQ(owned.check, -1);
        EXPECT_TRUE(owned.visible);
        EXPECT_TRUE(owned.enabled);  // its own state; the disabled owner is its parent
        const WindowInfo box = Info(kChildOnly);
        EXPECT_EQ(box.className, "Button");
        EXPECT_EQ(box.check, 0);
        TapControl(kChildOnly);
    });
    presenter.AddCall([&] {
        EXPECT_EQ(Info(kChildOnly).check, 1);
        EXPECT_EQ(desktop.FindControl(4242), nullptr);
        child.EndDialog(0);
    });
    presenter.AddCall([&] {
        EXPECT_EQ(Info(kShared).text, "owner's");
        EXPECT_EQ(desktop.Describe(child.m_hWnd), std::nullopt);
        owner.EndDialog(0);
    });
    owner.DoModal();
}

TEST_F(UiTest, PeekMessageTakesOnlyWhatItIsAskedFor) {
    TestDialog a(BasicTemplate("A"));
    std::vector<UINT> handled;
    a.BindMessage(WM_USER + 1, [&](WPARAM, LPARAM) {
        handled.push_back(WM_USER + 1);
        return 0;
    });
    a.BindMessage(WM_USER + 2, [&](WPARAM, LPARAM) {
        handled.push_back(WM_USER + 2);
        return 0;
    });
    presenter.AddCall([&] {
        a.PostMessage(WM_USER + 1, 1);
        a.PostMessage(WM_USER + 2, 2);
        a.PostMessage(WM_USER + 1, 3);
        EXPECT_FALSE(desktop.QueuesEmpty());
        MSG msg;
        EXPECT_EQ(PeekMessage(&msg, a.m_hWnd, WM_USER + 2, WM_USER + 2, PM_NOREMOVE), TRUE);
        EXPECT_EQ(msg.wParam, 2U);
        EXPECT_EQ(PeekMessage(&msg, a.m_hWnd, WM_USER + 1, WM_USER + 1, PM_REMOVE), TRUE);
        EXPECT_EQ(msg.wParam, 1U);
        EXPECT_EQ(PeekMessage(&msg, nullptr, WM_USER + 5, WM_USER + 9, PM_REMOVE), FALSE);
    });
    presenter.AddCall([&] {
        EXPECT_TRUE(desktop.QueuesEmpty());
        a.EndDialog(0);
    });
    a.DoModal();
    EXPECT_EQ(handled, (std::vector<UINT>{WM_USER + 2, WM_USER + 1}));
}

// The unit is switched off while the worker runs.
UINT QuitThenEnd(LPVOID) {
    PostQuitMessage(0);
    return 4;
}

// Starts a worker when cancelled and waits for it.
class WaitingDialog : public TestDialog {
  public:
    WaitingDialog() : TestDialog(BasicTemplate()) {}
    CWinThread* worker = nullptr;
    bool endedAfterWait = false;
    void OnCancel() override {
        worker = AfxBeginThread(QuitThenEnd, nullptr);
        WaitForThread(worker);
        endedAfterWait = worker != nullptr && worker->HasEnded();
        CDialog::OnCancel();
    }
};

TEST_F(UiTest, QuittingDuringAWaitForAWorkerDoesNotCutTheWaitShort) {
    WaitingDialog dlg;
    presenter.AddKey(Key::Escape);
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(dlg.endedAfterWait);
    EXPECT_TRUE(desktop.Quitting());
    TestDialog later(BasicTemplate());
    EXPECT_EQ(later.DoModal(), -1);  // switched off: nothing runs any more
}

TEST_F(UiTest, OneWrapperAtATimeReceivesAControlsMessages) {
    DialogTemplate t = BasicTemplate();
    t.items.push_back(EditText(kChildOnly, 10, 10, 40, 12));
    TestDialog dlg(t);
    presenter.AddCall([&] {
        CEdit first;
        CEdit second;
        EXPECT_EQ(first.SubclassDlgItem(kChildOnly, &dlg), TRUE);
        EXPECT_EQ(second.SubclassDlgItem(kChildOnly, &dlg), FALSE);
        EXPECT_EQ(first.SubclassDlgItem(kChildOnly, &dlg), FALSE);  // already attached
        EXPECT_EQ(dlg.GetDlgItem(kChildOnly), &first);
        EXPECT_EQ(first.UnsubclassWindow(), Info(kChildOnly).hwnd);
        EXPECT_EQ(second.SubclassDlgItem(kChildOnly, &dlg), TRUE);
        // A wrapper that goes away gives the control back to the framework's.
    });
    presenter.AddCall([&] {
        CWnd* now = dlg.GetDlgItem(kChildOnly);
        ASSERT_NE(now, nullptr);
        now->SetWindowText("still works");
        EXPECT_EQ(Info(kChildOnly).text, "still works");
        dlg.EndDialog(0);
    });
    dlg.DoModal();
}

}  // namespace
}  // namespace ui::test
