// Arbitrary text as a script. The parser either names the line of the first
// problem, or gives commands in line order whose values are within what the
// runner accepts; and each command's line, parsed alone, gives it again. The
// text written as a script string reads back as itself.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

#include "fuzz_check.h"
#include "script/script.h"
#include "ui/graphics.h"

namespace {

using fuzz::Check;

constexpr std::uint64_t kDayMs = 24ULL * 60 * 60 * 1000;

bool OnScreen(int x, int y) {
    return x >= 0 && x < ui::kScreenWidth && y >= 0 && y < ui::kScreenHeight;
}

bool ControlId(int id) {
    return id >= 1 && id <= 0xFFFF;
}

void CheckCheck(const script::Expectation& e) {
    Check(!e.withinMs || *e.withinMs <= kDayMs, "an expectation waits at most a day");
    std::visit(
        [](const auto& c) {
            using T = std::decay_t<decltype(c)>;
            if constexpr (requires { c.id; }) {
                Check(ControlId(c.id), "a control id");
            }
            if constexpr (std::is_same_v<T, script::ExpectMatch>) {
                Check(c.pattern != nullptr, "a compiled pattern");
            } else if constexpr (std::is_same_v<T, script::ExpectScreen>) {
                Check(!c.file.empty(), "a reference picture");
                Check(!c.area.Empty() && c.area.left >= 0 && c.area.top >= 0 &&
                          c.area.right <= ui::kScreenWidth && c.area.bottom <= ui::kScreenHeight,
                      "an area on the screen");
                for (const ui::Rect& mask : c.masks) {
                    Check(!mask.Empty() && mask.Intersect(c.area) == mask, "a mask in the area");
                }
                Check(c.tolerance.distance >= 0 && c.tolerance.distance <= 255 &&
                          c.tolerance.pixels >= 0 &&
                          c.tolerance.pixels <= c.area.Width() * c.area.Height() &&
                          (!c.tolerance.shareBasis ||
                           (*c.tolerance.shareBasis >= 0 && *c.tolerance.shareBasis <= 10000)),
                      "a tolerance within its bounds");
            } else if constexpr (std::is_same_v<T, script::ExpectPixel>) {
                Check(OnScreen(c.x, c.y), "a pixel on the screen");
                Check(c.color <= 0xFFFFFFU, "a colour RRGGBB");
            } else if constexpr (std::is_same_v<T, script::ExpectSent> ||
                                 std::is_same_v<T, script::ExpectControl>) {
                Check(c.device.size() == 5 && c.device.back() == ':', "a stream device's name");
            } else if constexpr (std::is_same_v<T, script::ExpectFile>) {
                Check(!c.path.empty() && c.path.front() == '\\', "a path on the unit");
            } else if constexpr (std::is_same_v<T, script::ExpectSound>) {
                Check(!c.hz || (*c.hz >= 1 && c.toleranceHz >= 0), "a frequency and tolerance");
            }
        },
        e.check);
}

void CheckValues(const script::Command& command) {
    std::visit(
        [](const auto& c) {
            using T = std::decay_t<decltype(c)>;
            if constexpr (std::is_same_v<T, script::Expectation>) {
                CheckCheck(c);
            } else if constexpr (requires { c.x; }) {
                Check(OnScreen(c.x, c.y), "a pen position on the screen");
            } else if constexpr (requires { c.id; }) {
                Check(ControlId(c.id), "a control id");
            } else if constexpr (std::is_same_v<T, script::Wait>) {
                Check(c.ms <= kDayMs, "a wait of at most a day");
            } else if constexpr (std::is_same_v<T, script::KeyStroke>) {
                Check((c.key != ui::Key::None) != !c.unitKey.empty(),
                      "a keyboard key or a hardware key");
            } else if constexpr (std::is_same_v<T, script::Screenshot>) {
                Check(!c.file.empty(), "a screenshot's file");
            }
        },
        command.action);
}

bool SameCommand(const script::Command& a, const script::Command& b) {
    return a.action == b.action;
}

// Any text written as a script string reads back as itself (but for a zero
// byte, which a script string never holds).
void CheckScriptString(std::string_view text) {
    if (text.find('\0') != std::string_view::npos) {
        return;
    }
    const std::string line = "expect msgbox " + script::ScriptString(text);
    const script::ParseResult result = script::ParseScript(line, "string");
    const auto* parsed = (result ? &*result : nullptr);
    Check(parsed != nullptr && parsed->commands.size() == 1, "a script string parses");
    const auto* e = script::ExpectationOf(parsed->commands.front());
    const auto* box = e != nullptr ? std::get_if<script::ExpectMsgBox>(&e->check) : nullptr;
    Check(box != nullptr && box->text == text, "to the text it was made from");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckScriptString(text);
    const script::ParseResult result = script::ParseScript(text, "fuzz.script");
    if (const auto* failure = (result ? nullptr : &result.error())) {
        Check(failure->line >= 1 && static_cast<std::size_t>(failure->line) <= fuzz::Lines(text),
              "a failure names a line of the text");
        Check(!failure->message.empty(), "a failure says what is wrong");
        Check(!script::Describe("fuzz.script", *failure).empty(), "a failure can be described");
        return 0;
    }
    const auto& script = *result;
    int previous = 0;
    for (const script::Command& command : script.commands) {
        Check(
            command.line > previous && static_cast<std::size_t>(command.line) <= fuzz::Lines(text),
            "commands in line order");
        previous = command.line;
        Check(!command.source.empty(), "a command keeps its line");
        CheckValues(command);
        const script::ParseResult alone = script::ParseScript(command.source, "line");
        const auto* again = (alone ? &*alone : nullptr);
        Check(again != nullptr && again->commands.size() == 1, "the line alone parses");
        Check(SameCommand(again->commands.front(), command), "to the same command");
    }
    return 0;
}
