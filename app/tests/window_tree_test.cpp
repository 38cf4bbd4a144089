// The console's windows as the artifacts and the report keep them: the Diag
// page with a checked and a disabled control, and texts that are not plain
// ASCII, escaped into JSON that any reader takes.
#include <string>

#include "console_fixture.h"
#include "script/window_tree.h"

namespace kestrin_test {
namespace {

// The JSON object of a control without its children, as WindowTreeJson
// writes it for the info given.
std::string ObjectOf(const ui::WindowInfo& w, const std::string& text, const char* checked) {
    const ui::Rect& r = w.screenRect;
    return "{\"id\": " + std::to_string(w.id) + ", \"class\": \"" + w.className +
           "\", \"text\": " + text + ", \"rect\": {\"left\": " + std::to_string(r.left) +
           ", \"top\": " + std::to_string(r.top) + ", \"right\": " + std::to_string(r.right) +
           ", \"bottom\": " + std::to_string(r.bottom) +
           "}, \"visible\": " + (w.visible ? "true" : "false") +
           ", \"enabled\": " + (w.enabled ? "true" : "false") + ", \"checked\": " + checked +
           ", \"active\": false, \"children\": []}";
}

TEST_F(ConsoleTest, TheWindowTreeIsTheDiagPageAsJsonWithEveryTextEscaped) {
    struct Escape {
        const char* what;
        std::string text;
        std::string json;
    };
    const Escape escapes[] = {
        {"quote, backslash, control characters", "a\"b\\c\x01\t\r\n\x7F",
         R"("a\"b\\c\u0001\t\r\n\u007F")"},
        {"BMP and beyond, as UTF-16", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80",
         R"("\u00E9\u20AC\uD83D\uDE00")"},
        {"a lone surrogate's bytes, one replacement each", "x\xED\xA0\x80y",
         R"("x\uFFFD\uFFFD\uFFFDy")"},
        {"stray, overlong and cut bytes", "\xFF\xC0\xAF\xE2\x82",
         R"("\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD")"},
        {"empty", "", R"("")"},
    };
    for (const Escape& e : escapes) {
        EXPECT_EQ(script::JsonString(e.text), e.json) << e.what;
    }

    StartUnit();
    StepCall([this] { TapTab(kPageDiag); });
    StepCall([this, &escapes] {
        Button(kDiagNor)->SetCheck(ui::BST_CHECKED);
        console->GetDlgItem(kDiagExec)->EnableWindow(platform::FALSE);
        console->GetDlgItem(kDiagRds)->SetWindowText(escapes[2].text);
        const std::string json = script::WindowTreeJson(*desktop);
        EXPECT_TRUE(json.starts_with("{\"windows\": [\n  {\"id\": ")) << json;
        EXPECT_NE(json.find("\"class\": \"Dialog\", \"text\": \"Kestrin\""), std::string::npos);
        EXPECT_NE(json.find("\"active\": true, \"children\": [\n"), std::string::npos);
        const std::string nor = ObjectOf(test_support::Info(*desktop, kDiagNor), "\"NOR\"", "true");
        const std::string exec =
            ObjectOf(test_support::Info(*desktop, kDiagExec), "\"EXEC\"", "false");
        const std::string rds =
            ObjectOf(test_support::Info(*desktop, kDiagRds), escapes[2].json, "false");
        for (const std::string& control : {nor, exec, rds}) {
            EXPECT_NE(json.find("\n    " + control), std::string::npos) << control << "\n" << json;
        }
        EXPECT_NE(exec.find("\"enabled\": false"), std::string::npos);
        EXPECT_NE(json.find("\"id\": 1009, \"class\": \"Edit\""), std::string::npos)
            << "the other pages' controls are there, hidden";
    });
    RunConsole();
}

}  // namespace
}  // namespace kestrin_test
