#include "edit_lines.h"

#include <algorithm>
#include <cstdint>

#include "ui/line_break.h"

namespace ui::detail {

namespace {

struct Piece {
    std::size_t end = 0;
    bool paragraphEnds = false;  // end is the paragraph's end
};

// One display line from pos: wrapped, it keeps the blanks at its break.
Piece NextLine(const Font& font, std::string_view t, std::size_t pos, int width, bool wrap) {
    if (wrap) {
        const LineBreak line = BreakLine(font, t, pos, width);
        return {line.next, line.paragraphEnds};
    }
    std::size_t i = pos;
    while (i < t.size() && !IsLineBreak(t[i])) {
        ++i;
    }
    return {i, true};
}

}  // namespace

template <class Keep>
void EditLines::From(const Font& font, std::string_view text, std::size_t pos, Keep keep) const {
    for (;;) {
        const Piece piece = NextLine(font, text, pos, width_, wrap_);
        if (!keep(EditLine{pos, piece.end})) {
            return;
        }
        if (!piece.paragraphEnds) {
            pos = piece.end;
            continue;
        }
        const std::size_t pe = piece.end;
        if (pe == text.size()) {
            return;
        }
        const std::size_t ps =
            pe + ((text[pe] == '\r' && pe + 1 < text.size() && text[pe + 1] == '\n') ? 2 : 1);
        if (ps == text.size()) {
            keep(EditLine{ps, ps});  // after a final break, an empty line
            return;
        }
        pos = ps;
    }
}

void EditLines::LayOut(const Font& font, std::string_view text, int width, bool multiLine,
                       bool wrap) {
    width_ = width;
    multiLine_ = multiLine;
    wrap_ = wrap && multiLine;
    lines_.clear();
    if (!multiLine_) {
        const std::size_t end = std::min(text.find('\r'), text.find('\n'));
        lines_.push_back({0, std::min(end, text.size())});
        return;
    }
    From(font, text, 0, [this](const EditLine& line) {
        lines_.push_back(line);
        return true;
    });
}

void EditLines::Replaced(const Font& font, std::string_view text, std::size_t start,
                         std::size_t end, std::size_t inserted) {
    const auto shift =
        static_cast<std::ptrdiff_t>(inserted) - static_cast<std::ptrdiff_t>(end - start);
    auto moved = [shift](std::size_t at) {
        return static_cast<std::size_t>(static_cast<std::ptrdiff_t>(at) + shift);
    };
    if (!multiLine_) {
        // The first break: before the change, in what was put in, moved
        // along with the text after it, or (the old one gone) looked for.
        EditLine& line = lines_.front();
        if (line.end < start) {
            return;
        }
        std::size_t at = start;
        while (at < start + inserted && !IsLineBreak(text[at])) {
            ++at;
        }
        if (at == start + inserted && line.end >= end) {
            at = moved(line.end);
        }
        while (at < text.size() && !IsLineBreak(text[at])) {
            ++at;
        }
        line.end = at;
        return;
    }
    // The first line the change can move: a line before it stays as it
    // was, and every line before it, when it ends before the change (a
    // "\r" there not followed by the change, which could make it "\r\n"),
    // and either ends its paragraph or is too wide for its line with the
    // text up to the change.
    auto first = static_cast<std::size_t>(LineOf(start));
    while (first > 0) {
        const EditLine& before = lines_[first - 1];
        if (before.end < start && (text[before.end] != '\r' || before.end + 1 < start) &&
            (IsLineBreak(text[before.end]) ||
             font.Measure(text.substr(before.start, start - before.start)) > width_)) {
            break;
        }
        --first;
    }
    // From there until a line starts where an old line after the change
    // started: the lines from that one on are the old ones, moved along.
    // The lines before stay where they are (typing at the end touches only
    // the last lines).
    std::size_t same = static_cast<std::size_t>(
        std::lower_bound(lines_.begin(), lines_.end(), end,
                         [](const EditLine& line, std::size_t at) { return line.start < at; }) -
        lines_.begin());
    bool inStep = false;
    std::vector<EditLine> again;
    From(font, text, lines_[first].start, [&](const EditLine& line) {
        if (line.start >= start + inserted) {
            while (same < lines_.size() && moved(lines_[same].start) < line.start) {
                ++same;
            }
            if (same < lines_.size() && moved(lines_[same].start) == line.start) {
                inStep = true;
                return false;
            }
        }
        again.push_back(line);
        return true;
    });
    const std::size_t kept = inStep ? same : lines_.size();
    for (std::size_t i = kept; i < lines_.size(); ++i) {
        lines_[i] = {moved(lines_[i].start), moved(lines_[i].end)};
    }
    const auto from = lines_.begin() + static_cast<std::ptrdiff_t>(first);
    lines_.erase(from, lines_.begin() + static_cast<std::ptrdiff_t>(kept));
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(first), again.begin(), again.end());
}

int EditLines::LineOf(std::size_t at) const {
    const auto after = std::upper_bound(
        lines_.begin(), lines_.end(), at,
        [](std::size_t offset, const EditLine& line) { return offset < line.start; });
    return after == lines_.begin() ? 0 : static_cast<int>(after - lines_.begin()) - 1;
}

}  // namespace ui::detail
