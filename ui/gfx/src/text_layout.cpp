// Line breaking and placement of text in a rectangle, the way the unit's
// DrawText lays out captions, labels and message box texts.
#include <algorithm>
#include <climits>
#include <string_view>
#include <vector>

#include "ui/graphics.h"
#include "ui/line_break.h"

namespace ui {

namespace {

// Splits at "\r\n", "\n" and "\r". A break at the very end ends the last line
// rather than starting an empty one.
std::vector<std::string_view> Paragraphs(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            continue;
        }
        out.push_back(text.substr(start, i - start));
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
        }
        start = i + 1;
    }
    if (start < text.size()) {
        out.push_back(text.substr(start));
    }
    return out;
}

// Greedy wrapping at blanks; blanks where a line is broken are dropped.
void WrapParagraph(const Font& font, std::string_view para, int width,
                   std::vector<std::string_view>& out) {
    if (para.empty()) {
        out.push_back(para);
        return;
    }
    for (std::size_t s = 0;;) {
        const LineBreak line = BreakLine(font, para, s, width);
        out.push_back(para.substr(s, line.shownEnd - s));
        if (line.paragraphEnds) {
            return;
        }
        s = line.next;
    }
}

std::vector<std::string_view> LayOut(const Font& font, std::string_view text, int width,
                                     unsigned format) {
    if ((format & DT_SINGLELINE) != 0) {
        if (text.empty()) {
            return {};
        }
        return {text};
    }
    std::vector<std::string_view> paragraphs = Paragraphs(text);
    if ((format & DT_WORDBREAK) == 0) {
        return paragraphs;
    }
    std::vector<std::string_view> lines;
    for (const std::string_view para : paragraphs) {
        WrapParagraph(font, para, width, lines);
    }
    return lines;
}

int Saturate(long long value) {
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

}  // namespace

std::vector<std::string> Font::Wrap(std::string_view text, int width) const {
    const std::vector<std::string_view> lines = LayOut(*this, text, width, DT_WORDBREAK);
    return {lines.begin(), lines.end()};
}

bool Font::Fits(std::string_view text, const Rect& r, unsigned format) const {
    const std::vector<std::string_view> lines = LayOut(*this, text, r.Width(), format);
    for (const std::string_view line : lines) {
        // Placed as DrawLine places it.
        const int advance = Measure(line);
        int x = 0;
        if ((format & DT_CENTER) != 0) {
            x = (r.Width() - advance) / 2;
        } else if ((format & DT_RIGHT) != 0) {
            x = r.Width() - advance;
        }
        const Ink ink = InkOf(line);
        if (ink.left < ink.right && (x + ink.left < 0 || x + ink.right > r.Width())) {
            return false;
        }
    }
    if ((format & DT_SINGLELINE) != 0 || lines.empty()) {
        return true;
    }
    const long long lastBaseline =
        static_cast<long long>(lines.size() - 1) * LineHeight() + Ascent();
    return lastBaseline <= r.Height();
}

int Font::DrawText(Framebuffer& fb, std::string_view text, Rect& r, unsigned format, Rgb color,
                   const Rgb* background) {
    const std::vector<std::string_view> lines = LayOut(*this, text, r.Width(), format);
    const long long lineHeight = LineHeight();
    const int height = Saturate(static_cast<long long>(lines.size()) * lineHeight);

    if ((format & DT_CALCRECT) != 0) {
        int widest = 0;
        for (const std::string_view line : lines) {
            widest = std::max(widest, Measure(line));
        }
        r.right = Saturate(static_cast<long long>(r.left) + widest);
        r.bottom = Saturate(static_cast<long long>(r.top) + height);
        return height;
    }

    long long y = r.top;
    if ((format & DT_VCENTER) != 0) {
        y += (static_cast<long long>(r.bottom) - r.top - height) / 2;
    } else if ((format & DT_BOTTOM) != 0) {
        y = static_cast<long long>(r.bottom) - height;
    }
    const Rect clip = (format & DT_NOCLIP) != 0 ? fb.Clip() : r.Intersect(fb.Clip());
    if (clip.Empty()) {
        return height;
    }
    // Glyphs reach from the line's top to the descent below the baseline.
    const long long reach = std::max<long long>(lineHeight, Ascent() + Descent());
    for (const std::string_view line : lines) {
        if (y >= clip.bottom) {
            break;
        }
        if (y + reach > clip.top) {
            const int width = Measure(line);
            long long x = r.left;
            if ((format & DT_CENTER) != 0) {
                x += (static_cast<long long>(r.right) - r.left - width) / 2;
            } else if ((format & DT_RIGHT) != 0) {
                x = static_cast<long long>(r.right) - width;
            }
            const int left = Saturate(x);
            const int top = Saturate(y);
            if (background != nullptr) {
                const Rect cell{left, top, Saturate(x + width), Saturate(y + lineHeight)};
                fb.FillRect(cell.Intersect(clip), *background);
            }
            DrawLine(fb, left, top, line, color, clip);
        }
        y += lineHeight;
    }
    return height;
}

}  // namespace ui
