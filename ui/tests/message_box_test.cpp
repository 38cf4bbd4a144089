// Message boxes: answers by every route, captions, layout of long and
// multi-line texts, ownership, and boxes asked for by a worker thread.
#include <string>

#include "ui_fixture.h"

namespace ui::test {
namespace {

struct Answer {
    const char* name;
    UINT type;
    std::function<void(Desktop&, UiTest&)> act;
    int expected;
};

TEST_F(UiTest, EveryWayOfAnsweringAMessageBox) {
    const auto tapButton = [](int id) {
        return [id](Desktop& d, UiTest&) {
            const auto box = d.Describe(d.FindControl(id));
            ASSERT_TRUE(box.has_value());
            const Rect r = box->screenRect;
            d.Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        };
    };
    const auto closeBox = [](Desktop& d, UiTest&) {
        const Rect r = *d.CloseBoxRect(d.ActiveWindow());
        d.Tap(r.left + 3, r.top + 3);
    };
    const std::vector<Answer> cases = {
        {"Enter on OK", MB_OK, [](Desktop& d, UiTest&) { d.KeyDown(Key::Enter); }, IDOK},
        {"Esc without Cancel", MB_OK, [](Desktop& d, UiTest&) { d.KeyDown(Key::Escape); }, IDOK},
        {"Esc with Cancel", MB_OKCANCEL, [](Desktop& d, UiTest&) { d.KeyDown(Key::Escape); },
         IDCANCEL},
        {"Enter with Cancel", MB_OKCANCEL | MB_ICONEXCLAMATION,
         [](Desktop& d, UiTest&) { d.KeyDown(Key::Enter); }, IDOK},
        {"tap OK", MB_OKCANCEL, tapButton(IDOK), IDOK},
        {"tap Cancel", MB_OKCANCEL, tapButton(IDCANCEL), IDCANCEL},
        {"close box with Cancel", MB_OKCANCEL, closeBox, IDCANCEL},
        {"close box without Cancel", MB_OK | MB_ICONINFORMATION, closeBox, IDOK},
        {"answered", MB_OKCANCEL,
         [](Desktop& d, UiTest&) { EXPECT_TRUE(d.AnswerMessageBox(IDCANCEL)); }, IDCANCEL},
    };
    for (const Answer& c : cases) {
        SCOPED_TRACE(c.name);
        presenter.AddCall([&] { c.act(desktop, *this); });
        presenter.AddCall([&] { desktop.AnswerMessageBox(IDOK); });  // only if the act failed
        EXPECT_EQ(MessageBox(nullptr, "Question?", "Title", c.type), c.expected);
        presenter.ClearSteps();
    }
}

TEST_F(UiTest, AnswersThatTheBoxDoesNotOfferAreRefused) {
    presenter.AddCall([&] {
        EXPECT_FALSE(desktop.AnswerMessageBox(IDCANCEL));
        EXPECT_FALSE(desktop.AnswerMessageBox(7));
        EXPECT_TRUE(desktop.AnswerMessageBox(IDOK));
    });
    EXPECT_EQ(AfxMessageBox("Done"), IDOK);
    EXPECT_FALSE(desktop.AnswerMessageBox(IDOK));  // none on top any more
}

TEST_F(UiTest, TheFrameworksMessageBoxIsCaptionedWithTheApplicationsName) {
    std::vector<MessageBoxInfo> shown;
    desktop.SetMessageBoxHook([&](const MessageBoxInfo& info) {
        shown.push_back(info);
        return std::optional<int>(IDOK);
    });
    AfxMessageBox("one", MB_ICONQUESTION);
    {
        CWinApp app("Bench");
        AfxMessageBox("two");
    }
    MessageBox(nullptr, "three", "", MB_OK);
    ASSERT_EQ(shown.size(), 3U);
    EXPECT_EQ(shown[0].caption, "Kestrin");
    EXPECT_EQ(shown[0].type, MB_ICONQUESTION);
    EXPECT_EQ(shown[1].caption, "Bench");
    EXPECT_EQ(shown[2].caption, "Error");
}

TEST_F(UiTest, TextIsKeptWholeAndWrappedToFitTheScreen) {
    const std::string multiLine = "First line\r\nSecond line\r\nThird line";
    std::string longText;
    for (int i = 0; i < 60; ++i) {
        longText += "word" + std::to_string(i) + " ";
    }
    int heightOneLine = 0;
    int heightThreeLines = 0;
    for (const std::string& text : {std::string("Short"), multiLine, longText}) {
        SCOPED_TRACE(text.substr(0, 20));
        presenter.AddCall([&] {
            const auto box = desktop.TopMessageBox();
            ASSERT_TRUE(box.has_value());
            EXPECT_EQ(box->text, text);
            EXPECT_EQ(Info(kMessageBoxTextId).text, text);
            const Rect r = desktop.Describe(box->hwnd)->screenRect;
            EXPECT_GE(r.left, 0);
            EXPECT_GE(r.top, 0);
            EXPECT_LE(r.right, kScreenWidth);
            EXPECT_LE(r.bottom, kScreenHeight);
            const Rect label = Info(kMessageBoxTextId).screenRect;
            EXPECT_LE(label.right, r.right);
            const Rect ok = Info(IDOK).screenRect;
            EXPECT_GE(ok.top, label.bottom);  // the button never covers the text
            if (text == "Short") {
                heightOneLine = r.Height();
            } else if (text == multiLine) {
                heightThreeLines = r.Height();
            }
            desktop.AnswerMessageBox(IDOK);
        });
        AfxMessageBox(text);  // no icon: the height follows the text alone
    }
    EXPECT_EQ(heightThreeLines - heightOneLine, 2 * Font::System().LineHeight());
}

TEST_F(UiTest, AMessageBoxDisablesItsOwnerAndGivesTheFocusBack) {
    DialogTemplate t = BasicTemplate();
    t.items.push_back(EditText(1301, 10, 10, 50, 12));
    t.items.push_back(EditText(1302, 10, 30, 50, 12));
    TestDialog dlg(t);
    int answer = 0;
    dlg.BindMessage(WM_USER + 1, [&](WPARAM, LPARAM) {
        answer = dlg.MessageBox("Sure?", {}, MB_OKCANCEL | MB_ICONQUESTION);
        return 0;
    });
    presenter.AddCall([&] {
        dlg.GetDlgItem(1302)->SetFocus();
        dlg.PostMessage(WM_USER + 1);
    });
    presenter.AddCall([&] {
        EXPECT_EQ(dlg.IsWindowEnabled(), FALSE);
        EXPECT_EQ(desktop.TopMessageBox()->caption, "Kestrin");
        desktop.KeyDown(Key::Escape);
    });
    presenter.AddCall([&] {
        EXPECT_EQ(dlg.IsWindowEnabled(), TRUE);
        EXPECT_EQ(CWnd::GetFocus(), dlg.GetDlgItem(1302));
        dlg.EndDialog(0);
    });
    dlg.DoModal();
    EXPECT_EQ(answer, IDCANCEL);
}

UINT AskFromWorker(LPVOID param) {
    *static_cast<int*>(param) = AfxMessageBox("From the worker", MB_OKCANCEL);
    return 0;
}

TEST_F(UiTest, AWorkersMessageBoxRunsOnTheUiThread) {
    TestDialog dlg(BasicTemplate());
    int answer = 0;
    presenter.AddCall([&] {
        CWinThread* worker = AfxBeginThread(AskFromWorker, &answer);
        presenter.AddWaitUntil([&] { return desktop.TopMessageBox().has_value(); });
        presenter.AddCall([&] {
            EXPECT_EQ(desktop.TopMessageBox()->text, "From the worker");
            desktop.AnswerMessageBox(IDCANCEL);
        });
        WaitForThread(worker);
        dlg.EndDialog(0);
    });
    dlg.DoModal();
    EXPECT_EQ(answer, IDCANCEL);
}

}  // namespace
}  // namespace ui::test
