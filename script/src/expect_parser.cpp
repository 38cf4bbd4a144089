#include "expect_parser.h"

#include <memory>
#include <string>
#include <utility>
#include <variant>

#include "script/pattern.h"

namespace script::detail {

Expectation ExpectParser::Parse() {
    Expectation e;
    // "... within MS" at the end: retried until it holds.
    if (words_.size() >= 4 && !words_[words_.size() - 2].quoted &&
        words_[words_.size() - 2].text == "within") {
        e.withinMs = Millis(words_.size() - 1);
        words_.resize(words_.size() - 2);
    }
    if (words_.size() < 2) {
        Fail(
            "expected: expect text|match|caption|check|enabled|visible|msgbox|nomsgbox|"
            "debug|screen|pixel|fit|sent|control|file|registry|sound");
        return e;
    }
    e.check = ParseCheck(words_[1].text);
    return e;
}

Check ExpectParser::ParseCheck(const std::string& what) {
    if (std::optional<Check> unit = ParseUnitCheck(what)) {
        return *unit;
    }
    if (what == "text") {
        Count(3, "expect text ID \"TEXT\"");
        const int id = Id(2);
        return ExpectText{id, Text(3)};
    }
    if (what == "match") {
        return ParseMatch();
    }
    if (what == "caption") {
        Count(2, "expect caption \"TEXT\"");
        return ExpectCaption{Text(2)};
    }
    if (what == "check") {
        Count(3, "expect check ID 0|1");
        const int id = Id(2);
        return ExpectCheck{id, Number(3, 0, 1, "the state")};
    }
    if (what == "enabled" || what == "visible") {
        Count(3, "expect " + what + " ID 0|1");
        const int id = Id(2);
        const bool on = Number(3, 0, 1, "the state") != 0;
        return what == "enabled" ? Check(ExpectEnabled{id, on}) : Check(ExpectVisible{id, on});
    }
    if (what == "msgbox") {
        Count(2, "expect msgbox \"TEXT\"");
        return ExpectMsgBox{Text(2)};
    }
    if (what == "nomsgbox") {
        Count(1, "expect nomsgbox");
        return ExpectNoMsgBox{};
    }
    if (what == "fit") {
        Count(1, "expect fit");
        return ExpectFit{};
    }
    if (what == "debug") {
        Count(2, "expect debug \"TEXT\"");
        return ExpectDebug{Text(2)};
    }
    if (what == "screen") {
        return ParseScreen();
    }
    if (what == "pixel") {
        Count(4, "expect pixel X Y RRGGBB");
        const int x = Number(2, 0, ui::kScreenWidth - 1, "X");
        const int y = Number(3, 0, ui::kScreenHeight - 1, "Y");
        return ExpectPixel{x, y, Error().empty() ? Color(words_[4]) : 0};
    }
    Fail("unknown expectation " + Quote(what));
    return ExpectFit{};
}

Check ExpectParser::ParseMatch() {
    Count(3, "expect match ID \"REGEX\"");
    ExpectMatch match{Id(2), Text(3), nullptr};
    if (Error().empty()) {
        auto compiled = Pattern::Compile(match.text);
        if (!compiled) {
            Fail(compiled.error());
        } else {
            match.pattern = std::move(*compiled);
        }
    }
    return match;
}

Check ExpectParser::ParseScreen() {
    constexpr const char* kUsage = "expect screen FILE.png [X Y W H]";
    ExpectScreen screen;
    if (words_.size() != 3 && words_.size() != 7) {
        Fail(std::string("expected: ") + kUsage);
        return screen;
    }
    screen.file = words_[2].text;
    if (screen.file.empty()) {
        Fail("expect screen needs a file name");
        return screen;
    }
    if (words_.size() == 3) {
        screen.area = {0, 0, ui::kScreenWidth, ui::kScreenHeight};
        return screen;
    }
    const int x = Number(3, 0, ui::kScreenWidth - 1, "X");
    const int y = Number(4, 0, ui::kScreenHeight - 1, "Y");
    const int w = Number(5, 1, ui::kScreenWidth - x, "W");
    const int h = Number(6, 1, ui::kScreenHeight - y, "H");
    screen.area = {x, y, x + w, y + h};
    return screen;
}

}  // namespace script::detail
