// A font whose characters are coverage bitmaps made once and kept, which is
// what the backends' faces (FreeType, GDI) all give: measuring and drawing
// are the same for every such face; each face only makes its glyphs. Calls
// are serialised, so one font serves every thread.
#pragma once

#include <cstdint>
#include <mutex>
#include <string_view>
#include <vector>

#include "ui/graphics.h"

namespace ui::gfx {

class GlyphFont : public Font {
  public:
    [[nodiscard]] int Ascent() const override { return ascent_; }
    [[nodiscard]] int Descent() const override { return descent_; }
    [[nodiscard]] int LineHeight() const override { return lineHeight_; }
    [[nodiscard]] int Measure(std::string_view text) const override;
    [[nodiscard]] Ink InkOf(std::string_view text) const override;
    int DrawLine(Framebuffer& fb, int x, int top, std::string_view text, Rgb color,
                 const Rect& clip) override;

  protected:
    struct Glyph {
        int advance = 0;
        int left = 0;  // bitmap origin relative to the pen position
        int top = 0;   // rows above the baseline
        int width = 0;
        int rows = 0;
        std::vector<std::uint8_t> coverage;
    };

    void SetMetrics(int ascent, int descent, int lineHeight) {
        ascent_ = ascent;
        descent_ = descent;
        lineHeight_ = lineHeight;
    }
    // The glyph of a code point, made on first use and kept while the font
    // lives or until the face drops its cache. Called with the font's lock
    // held.
    [[nodiscard]] virtual const Glyph& GlyphFor(char32_t codepoint) const = 0;

  private:
    int ascent_ = 0;
    int descent_ = 0;
    int lineHeight_ = 0;
    mutable std::mutex mutex_;
};

}  // namespace ui::gfx
