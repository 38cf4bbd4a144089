// The display lines of an edit's text: paragraphs at "\r\n", "\n" or "\r",
// wrapped at blanks to the width (blanks where a line wraps stay at its end;
// a word wider than the line is cut between characters), or one line up to
// the first break in a single-line edit. Kept between edits: a change is
// laid out again from the line before it until the lines fall in step with
// the old ones, so that typing a long text costs each character its line,
// not the whole text.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "ui/graphics.h"

namespace ui::detail {

struct EditLine {
    std::size_t start = 0;
    std::size_t end = 0;  // without the line break
};

class EditLines {
  public:
    // Lays the whole text out.
    void LayOut(const Font& font, std::string_view text, int width, bool multiLine, bool wrap);
    // text is the laid-out text after its bytes [start, end) were replaced
    // by `inserted` bytes.
    void Replaced(const Font& font, std::string_view text, std::size_t start, std::size_t end,
                  std::size_t inserted);

    [[nodiscard]] const std::vector<EditLine>& Lines() const { return lines_; }
    // The last line that starts at or before the offset.
    [[nodiscard]] int LineOf(std::size_t at) const;
    [[nodiscard]] int Width() const { return width_; }
    [[nodiscard]] bool MultiLine() const { return multiLine_; }
    [[nodiscard]] bool Wraps() const { return wrap_; }

  private:
    // Lines from a line start on, each given to keep until it says stop.
    template <class Keep>
    void From(const Font& font, std::string_view text, std::size_t pos, Keep keep) const;

    std::vector<EditLine> lines_;
    int width_ = 0;
    bool multiLine_ = false;
    bool wrap_ = false;
};

}  // namespace ui::detail
