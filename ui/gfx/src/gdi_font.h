// A Windows face through GDI: each character is drawn once, grey-scale
// anti-aliased, into a DIB section and kept as a coverage bitmap; text is
// then blended from the cache like any other font of the framework.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ui/graphics.h"

namespace ui::detail {

class GdiFont final : public Font {
  public:
    // nullptr, with the reason in *error, when GDI cannot make the font or
    // its drawing surface.
    static std::unique_ptr<GdiFont> Open(std::string_view face, int pixelSize, FontWeight weight,
                                         std::string* error);
    struct Surface;
    // Only Open can make the surface.
    explicit GdiFont(std::unique_ptr<Surface> surface);
    ~GdiFont() override;
    GdiFont(const GdiFont&) = delete;
    GdiFont& operator=(const GdiFont&) = delete;

    [[nodiscard]] int Ascent() const override { return ascent_; }
    [[nodiscard]] int Descent() const override { return descent_; }
    [[nodiscard]] int LineHeight() const override { return lineHeight_; }
    [[nodiscard]] int Measure(std::string_view text) const override;
    int DrawLine(Framebuffer& fb, int x, int top, std::string_view text, Rgb color,
                 const Rect& clip) override;

    // The face GDI actually chose (it substitutes when the asked one is
    // missing).
    [[nodiscard]] const std::string& FaceName() const { return faceName_; }

  private:
    struct Glyph {
        int advance = 0;
        int left = 0;  // bitmap origin relative to the pen position
        int top = 0;   // rows above the baseline
        int width = 0;
        int rows = 0;
        std::vector<std::uint8_t> coverage;
    };

    const Glyph& GlyphFor(char32_t codepoint) const;  // mutex_ held
    [[nodiscard]] Glyph Render(char32_t codepoint) const;

    std::unique_ptr<Surface> surface_;
    int ascent_ = 0;
    int descent_ = 0;
    int lineHeight_ = 0;
    std::string faceName_;
    mutable std::mutex mutex_;
    mutable std::unordered_map<char32_t, Glyph> cache_;
};

}  // namespace ui::detail
