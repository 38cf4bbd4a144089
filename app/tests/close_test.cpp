// The console refuses to close: the close box, OK and Enter only ask for the
// power switch, whatever the answer; the cancel command (Esc) ends it.
#include <functional>
#include <string>
#include <vector>

#include "console_fixture.h"

namespace kestrin_test {
namespace {

const char* const kSwitchOff =
    "Please switch off the main power by sliding the POWER switch on the bottom right of the unit!";

TEST_F(ConsoleTest, CloseBoxOkAndEnterNeverClose) {
    StartUnit();
    const std::vector<std::pair<const char*, std::function<void()>>> requests = {
        {"close box",
         [this] {
             const ui::Rect r = *desktop->CloseBoxRect(ConsoleHwnd());
             desktop->Tap(r.left + 3, r.top + 3);
         }},
        {"caption OK",
         [this] {
             const ui::Rect r = *desktop->OkBoxRect(ConsoleHwnd());
             desktop->Tap(r.left + 3, r.top + 3);
         }},
        {"Enter", [this] { desktop->KeyDown(ui::Key::Enter); }},
        {"WM_CLOSE", [this] { console->PostMessage(ui::WM_CLOSE); }},
    };
    int asked = 0;
    for (const auto& [name, request] : requests) {
        for (int answer : {ui::IDOK, ui::IDCANCEL}) {
            StepCall(request);
            StepCall([this, name = std::string(name), answer, &asked] {
                SCOPED_TRACE(name);
                const auto box = desktop->TopMessageBox();
                ASSERT_TRUE(box.has_value());
                ++asked;
                EXPECT_EQ(box->text, kSwitchOff);
                EXPECT_EQ(box->caption, "Kestrin");
                EXPECT_EQ(box->type, ui::MB_OKCANCEL | ui::MB_ICONEXCLAMATION);
                desktop->AnswerMessageBox(answer);
            });
            StepCall([this] {
                EXPECT_EQ(desktop->ActiveWindow(), ConsoleHwnd());
                EXPECT_FALSE(desktop->TopMessageBox().has_value());
            });
        }
    }
    // The cancel command ends the console.
    StepCall([this] { desktop->KeyDown(ui::Key::Escape); });
    StepCall([] { ADD_FAILURE() << "the console is still running after Esc"; });
    EXPECT_EQ(RunConsole(), ui::IDCANCEL);
    EXPECT_EQ(asked, 8);
    presenter.ClearSteps();
}

}  // namespace
}  // namespace kestrin_test
