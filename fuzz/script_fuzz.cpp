// Arbitrary text as a script. The parser either names the line of the first
// problem, or gives commands in line order whose values are within what the
// runner accepts; and each command's line, parsed alone, gives it again. The
// text written as a script string reads back as itself.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "fuzz_check.h"
#include "script/script.h"
#include "ui/graphics.h"

namespace {

using fuzz::Check;

constexpr std::uint64_t kDayMs = 24ULL * 60 * 60 * 1000;

void CheckValues(const script::Command& c) {
    using script::Op;
    Check(!c.withinMs || (script::IsExpectation(c.op) && *c.withinMs <= kDayMs),
          "only an expectation waits, at most a day");
    switch (c.op) {
        case Op::Tap:
        case Op::Down:
        case Op::Move:
        case Op::Up:
            Check(c.x >= 0 && c.x < ui::kScreenWidth && c.y >= 0 && c.y < ui::kScreenHeight,
                  "a pen position on the screen");
            break;
        case Op::Click:
        case Op::Type:
        case Op::ExpectText:
        case Op::ExpectCheck:
        case Op::ExpectEnabled:
        case Op::ExpectVisible:
            Check(c.id >= 1 && c.id <= 0xFFFF, "a control id");
            break;
        case Op::ExpectMatch:
            Check(c.id >= 1 && c.id <= 0xFFFF, "a control id");
            Check(c.pattern != nullptr, "a compiled pattern");
            break;
        case Op::Wait:
            Check(c.ms <= kDayMs, "a wait of at most a day");
            break;
        case Op::Key:
            Check((c.key.key != ui::Key::None) != !c.key.unitKey.empty(),
                  "a keyboard key or a hardware key");
            break;
        case Op::Screenshot:
            Check(!c.text.empty(), "a screenshot's file");
            break;
        case Op::ExpectScreen:
            Check(!c.text.empty(), "a reference picture");
            Check(!c.area.Empty() && c.area.left >= 0 && c.area.top >= 0 &&
                      c.area.right <= ui::kScreenWidth && c.area.bottom <= ui::kScreenHeight,
                  "an area on the screen");
            break;
        case Op::ExpectPixel:
            Check(c.x >= 0 && c.x < ui::kScreenWidth && c.y >= 0 && c.y < ui::kScreenHeight,
                  "a pixel on the screen");
            Check(c.color <= 0xFFFFFFU, "a colour RRGGBB");
            break;
        default:
            break;
    }
}

bool SameCommand(const script::Command& a, const script::Command& b) {
    return a.op == b.op && a.x == b.x && a.y == b.y && a.id == b.id && a.number == b.number &&
           a.ms == b.ms && a.text == b.text && a.value == b.value && a.key.key == b.key.key &&
           a.key.unitKey == b.key.unitKey && a.key.action == b.key.action && a.area == b.area &&
           a.color == b.color && a.withinMs == b.withinMs;
}

// Any text written as a script string reads back as itself (but for a zero
// byte, which a script string never holds).
void CheckScriptString(std::string_view text) {
    if (text.find('\0') != std::string_view::npos) {
        return;
    }
    const std::string line = "expect msgbox " + script::ScriptString(text);
    const script::ParseResult result = script::ParseScript(line, "string");
    const auto* parsed = std::get_if<script::Script>(&result);
    Check(parsed != nullptr && parsed->commands.size() == 1, "a script string parses");
    Check(parsed->commands.front().text == text, "to the text it was made from");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckScriptString(text);
    const script::ParseResult result = script::ParseScript(text, "fuzz.script");
    if (const auto* failure = std::get_if<script::ParseFailure>(&result)) {
        Check(failure->line >= 1 && static_cast<std::size_t>(failure->line) <= fuzz::Lines(text),
              "a failure names a line of the text");
        Check(!failure->message.empty(), "a failure says what is wrong");
        Check(!script::Describe("fuzz.script", *failure).empty(), "a failure can be described");
        return 0;
    }
    const auto& script = std::get<script::Script>(result);
    int previous = 0;
    for (const script::Command& command : script.commands) {
        Check(
            command.line > previous && static_cast<std::size_t>(command.line) <= fuzz::Lines(text),
            "commands in line order");
        previous = command.line;
        Check(!command.source.empty(), "a command keeps its line");
        CheckValues(command);
        const script::ParseResult alone = script::ParseScript(command.source, "line");
        const auto* again = std::get_if<script::Script>(&alone);
        Check(again != nullptr && again->commands.size() == 1, "the line alone parses");
        Check(SameCommand(again->commands.front(), command), "to the same command");
    }
    return 0;
}
