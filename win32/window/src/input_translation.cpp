#include "input_translation.h"

#include "platform/utf8.h"

#include <windows.h>

namespace win32::window::detail {

namespace {

bool IsHigh(char16_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLow(char16_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

}  // namespace

ui::Key KeyForVirtualKey(std::uint32_t virtualKey) {
    switch (virtualKey) {
        case VK_RETURN:
            return ui::Key::Enter;
        case VK_ESCAPE:
            return ui::Key::Escape;
        case VK_BACK:
            return ui::Key::Backspace;
        case VK_DELETE:
            return ui::Key::Delete;
        case VK_TAB:
            return ui::Key::Tab;
        case VK_LEFT:
            return ui::Key::Left;
        case VK_RIGHT:
            return ui::Key::Right;
        case VK_UP:
            return ui::Key::Up;
        case VK_DOWN:
            return ui::Key::Down;
        case VK_HOME:
            return ui::Key::Home;
        case VK_END:
            return ui::Key::End;
        case VK_F1:
            return ui::Key::F1;
        case VK_F2:
            return ui::Key::F2;
        case VK_F3:
            return ui::Key::F3;
        case VK_F4:
            return ui::Key::F4;
        case VK_F5:
            return ui::Key::F5;
        case VK_F6:
            return ui::Key::F6;
        default:
            return ui::Key::None;
    }
}

bool Repeats(ui::Key key) {
    return key != ui::Key::F1 && key != ui::Key::F2 && key != ui::Key::F3 && key != ui::Key::F4 &&
           key != ui::Key::F5 && key != ui::Key::F6;
}

std::optional<std::string> TypedText::Add(char16_t unit) {
    using platform::utf8::Append;
    using platform::utf8::kReplacement;
    const char16_t high = high_;
    high_ = 0;
    std::string text;
    if (IsHigh(unit)) {
        high_ = unit;
        if (high != 0) {
            Append(text, kReplacement);  // the previous one lost its partner
        }
    } else if (IsLow(unit)) {
        Append(text, high != 0 ? 0x10000 + ((static_cast<char32_t>(high) - 0xD800) << 10) +
                                     (static_cast<char32_t>(unit) - 0xDC00)
                               : kReplacement);
    } else {
        if (high != 0) {
            Append(text, kReplacement);
        }
        if (unit >= 0x20 && unit != 0x7F) {
            Append(text, unit);
        }
    }
    if (text.empty()) {
        return std::nullopt;
    }
    return text;
}

int ToScreen(int windowCoordinate, int scale) {
    // Rounds towards minus infinity: -1 is left of the screen, not on it.
    const int q = windowCoordinate / scale;
    return (windowCoordinate % scale != 0 && windowCoordinate < 0) ? q - 1 : q;
}

}  // namespace win32::window::detail
