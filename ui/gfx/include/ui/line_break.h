// Where text wraps, for the texts the framework draws and for the edit
// control alike: blanks (space, tab) part words, "\r" and "\n" end a
// paragraph, and a character is a UTF-8 lead byte with the bytes that
// continue it (the caret's step too).
#pragma once

#include <cstddef>
#include <string_view>

#include "ui/graphics.h"

namespace ui {

[[nodiscard]] constexpr bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
[[nodiscard]] constexpr bool IsLineBreak(char c) {
    return c == '\r' || c == '\n';
}
[[nodiscard]] constexpr bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0U) == 0x80U;
}

// Where the character at pos (pos < text.size()) ends.
[[nodiscard]] std::size_t CharEnd(std::string_view text, std::size_t pos);

struct LineBreak {
    std::size_t shownEnd = 0;    // the end of what the line shows
    std::size_t next = 0;        // past the blanks at the break
    bool paragraphEnds = false;  // next is at a line break or the text's end
};

// The line that starts at pos, width pixels wide, in one pass over it (a
// text's advance is the sum of its characters'): the rest of the paragraph
// when it fits; else up to the last word that fits, or cut between
// characters when not even the first does (one character at least). The
// blanks at a break belong to neither line's words.
[[nodiscard]] LineBreak BreakLine(const Font& font, std::string_view text, std::size_t pos,
                                  int width);

}  // namespace ui
