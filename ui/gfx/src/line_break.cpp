#include "ui/line_break.h"

#include <algorithm>

namespace ui {

std::size_t CharEnd(std::string_view text, std::size_t pos) {
    std::size_t end = pos + 1;
    while (end < text.size() && IsContinuationByte(text[end])) {
        ++end;
    }
    return end;
}

LineBreak BreakLine(const Font& font, std::string_view text, std::size_t pos, int width) {
    std::size_t i = pos;
    long long advance = 0;
    std::size_t wordFits = pos;  // the end of the last word that fits
    std::size_t charFits = pos;  // the end of the last character that fits
    while (i < text.size() && !IsLineBreak(text[i])) {
        const std::size_t next = CharEnd(text, i);
        advance += font.Measure(text.substr(i, next - i));
        if (advance > width) {
            std::size_t shown = wordFits;
            if (shown == pos) {
                shown = std::max(charFits, CharEnd(text, pos));
            }
            std::size_t after = shown;
            while (after < text.size() && IsBlank(text[after])) {
                ++after;
            }
            return {shown, after, after == text.size() || IsLineBreak(text[after])};
        }
        if (!IsBlank(text[i]) &&
            (next == text.size() || IsBlank(text[next]) || IsLineBreak(text[next]))) {
            wordFits = next;
        }
        charFits = next;
        i = next;
    }
    return {i, i, true};
}

}  // namespace ui
