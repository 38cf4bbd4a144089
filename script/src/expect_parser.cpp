#include "expect_parser.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <variant>

#include "screen_compare.h"
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
    constexpr const char* kUsage =
        "expect screen FILE.png [X Y W H] [mask X Y W H]... [tolerance D [N|P%]]";
    ExpectScreen screen;
    const auto usage = [&] {
        Fail(std::string("expected: ") + kUsage);
        return screen;
    };
    if (words_.size() < 3) {
        return usage();
    }
    screen.file = words_[2].text;
    if (screen.file.empty()) {
        Fail("expect screen needs a file name");
        return screen;
    }
    screen.area = {0, 0, ui::kScreenWidth, ui::kScreenHeight};
    std::size_t at = 3;
    if (at < words_.size() && !Keyword(at, "mask") && !Keyword(at, "tolerance")) {
        if (words_.size() < at + 4) {
            return usage();
        }
        screen.area = Rectangle(at, "");
        at += 4;
    }
    while (at < words_.size() && Keyword(at, "mask")) {
        if (words_.size() < at + 5) {
            return usage();
        }
        const ui::Rect mask = Rectangle(at + 1, "the mask's ");
        if (Error().empty() && mask.Intersect(screen.area).Empty()) {
            Fail("the mask " + words_[at + 1].text + " " + words_[at + 2].text + " " +
                 words_[at + 3].text + " " + words_[at + 4].text +
                 " lies outside the compared area");
        }
        screen.masks.push_back(mask.Intersect(screen.area));
        at += 5;
    }
    if (at < words_.size() && Keyword(at, "tolerance")) {
        if (words_.size() < at + 2 || words_.size() > at + 3) {
            return usage();
        }
        screen.tolerance.distance = Number(at + 1, 0, 255, "the colour distance");
        if (at + 2 < words_.size()) {
            Allowance(at + 2, screen.area, &screen.tolerance);
        }
        at = words_.size();
    }
    if (at != words_.size()) {
        return usage();
    }
    if (Error().empty() && !screen.masks.empty() &&
        std::ranges::count(Compared(screen), true) == 0) {
        Fail("the masks cover the whole area: nothing is left to compare");
    }
    return screen;
}

bool ExpectParser::Keyword(std::size_t index, std::string_view word) const {
    return !words_[index].quoted && words_[index].text == word;
}

ui::Rect ExpectParser::Rectangle(std::size_t index, const std::string& whose) {
    const int x = Number(index, 0, ui::kScreenWidth - 1, (whose + "X").c_str());
    const int y = Number(index + 1, 0, ui::kScreenHeight - 1, (whose + "Y").c_str());
    const int w = Number(index + 2, 1, ui::kScreenWidth - x, (whose + "W").c_str());
    const int h = Number(index + 3, 1, ui::kScreenHeight - y, (whose + "H").c_str());
    return {x, y, x + w, y + h};
}

void ExpectParser::Allowance(std::size_t index, const ui::Rect& area, ScreenTolerance* tolerance) {
    const Word& word = words_[index];
    if (word.quoted || !word.text.ends_with('%')) {
        tolerance->pixels =
            Number(index, 0, static_cast<std::int64_t>(area.Width()) * area.Height(),
                   "the count of differing pixels");
        return;
    }
    // A share as written, in hundredths of a percent: "1.5%" is 150.
    const std::string_view text(word.text.data(), word.text.size() - 1);
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view decimals =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    const auto digits = [](std::string_view d) {
        return std::ranges::all_of(d, [](char c) { return c >= '0' && c <= '9'; });
    };
    int basis = 0;
    const bool read = !whole.empty() && whole.size() <= 3 && digits(whole) &&
                      (point == std::string_view::npos || !decimals.empty()) &&
                      decimals.size() <= 2 && digits(decimals);
    if (read) {
        for (const char c : whole) {
            basis = basis * 10 + (c - '0');
        }
        basis *= 100;
        basis += decimals.empty()       ? 0
                 : decimals.size() == 1 ? (decimals[0] - '0') * 10
                                        : (decimals[0] - '0') * 10 + (decimals[1] - '0');
    }
    if (!read || basis > 10000) {
        Fail("the share of differing pixels must be 0% to 100%, with at most two decimals, not " +
             Quote(word.text));
        return;
    }
    tolerance->shareBasis = basis;
}

}  // namespace script::detail
