#include "box_font.h"

#include <algorithm>

#include "glyph_blend.h"
#include "platform/utf8.h"

namespace ui::detail {

// Proportions of DejaVu Sans: at 11 px the face has ascent 11, descent 3 and
// a line of 13; a blank is a third of the size and a letter about 0.6.
BoxFont::BoxFont(int pixelSize)
    : ascent_(std::max(pixelSize, 1)),
      descent_(std::max((pixelSize * 3 + 10) / 11, 1)),
      lineHeight_(std::max((pixelSize * 13 + 10) / 11, 2)),
      blank_(std::max(pixelSize / 3, 1)),
      box_(std::max((pixelSize * 6 + 5) / 11, 2)) {}

int BoxFont::Advance(char32_t c) const {
    return c <= 0x20 || c == 0x7F ? blank_ : box_ + 1;
}

int BoxFont::Measure(std::string_view text) const {
    int width = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        width += Advance(platform::utf8::Next(text, pos));
    }
    return width;
}

int BoxFont::DrawLine(Framebuffer& fb, int x, int top, std::string_view text, Rgb color,
                      const Rect& clip) {
    const Rect area = TextClip(fb, clip);
    const Rect saved = fb.Clip();
    fb.SetClip(area);
    const int boxTop = top + ascent_ - (ascent_ * 3 + 2) / 4;
    const int boxBottom = top + ascent_;
    int pen = x;
    for (std::size_t pos = 0; pos < text.size();) {
        const char32_t c = platform::utf8::Next(text, pos);
        if (Advance(c) != blank_ && !area.Empty()) {
            fb.FrameRect({pen, boxTop, pen + box_, boxBottom}, color);
        }
        pen += Advance(c);
    }
    fb.SetClip(saved);
    return pen - x;
}

}  // namespace ui::detail
