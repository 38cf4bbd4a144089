#include "ui/glyph_font.h"

#include <algorithm>
#include <optional>

#include "glyph_blend.h"
#include "platform/utf8.h"

namespace ui::gfx {

int GlyphFont::Measure(std::string_view text) const {
    const std::lock_guard lock(mutex_);
    int width = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        width += GlyphFor(platform::utf8::Next(text, pos)).advance;
    }
    return width;
}

Font::Ink GlyphFont::InkOf(std::string_view text) const {
    const std::lock_guard lock(mutex_);
    std::optional<Ink> ink;
    int pen = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const Glyph& glyph = GlyphFor(platform::utf8::Next(text, pos));
        if (glyph.width > 0) {
            const Ink here{pen + glyph.left, pen + glyph.left + glyph.width};
            ink =
                ink ? Ink{std::min(ink->left, here.left), std::max(ink->right, here.right)} : here;
        }
        pen += glyph.advance;
    }
    return ink.value_or(Ink{});
}

int GlyphFont::DrawLine(Framebuffer& fb, int x, int top, std::string_view text, Rgb color,
                        const Rect& clip) {
    const Rect area = detail::TextClip(fb, clip);
    const std::lock_guard lock(mutex_);
    const int baseline = top + ascent_;
    int pen = x;
    for (std::size_t pos = 0; pos < text.size();) {
        const Glyph& glyph = GlyphFor(platform::utf8::Next(text, pos));
        if (!area.Empty() && glyph.width > 0) {
            detail::BlendCoverage(fb, pen + glyph.left, baseline - glyph.top, glyph.coverage.data(),
                                  glyph.width, glyph.rows, color, area);
        }
        pen += glyph.advance;
    }
    return pen - x;
}

}  // namespace ui::gfx
