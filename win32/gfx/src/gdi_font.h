// A Windows face through GDI: each character is drawn once, grey-scale
// anti-aliased, into a DIB section and kept as a coverage bitmap; text is
// then blended from the cache like any other font of the framework.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/result.h"
#include "ui/glyph_font.h"

namespace ui::gfx {

class GdiFont final : public GlyphFont {
  public:
    // The font, or why GDI cannot make it or its drawing surface.
    static platform::Result<std::unique_ptr<GdiFont>> Open(std::string_view face, int pixelSize,
                                                           FontWeight weight);
    struct Surface;
    // Only Open can make the surface.
    explicit GdiFont(std::unique_ptr<Surface> surface);
    ~GdiFont() override;
    GdiFont(const GdiFont&) = delete;
    GdiFont& operator=(const GdiFont&) = delete;

    // The face GDI actually chose (it substitutes when the asked one is
    // missing).
    [[nodiscard]] const std::string& FaceName() const { return faceName_; }

  private:
    [[nodiscard]] const Glyph& GlyphFor(char32_t codepoint) const override;
    [[nodiscard]] Glyph Render(char32_t codepoint) const;

    std::unique_ptr<Surface> surface_;
    std::string faceName_;
    mutable std::unordered_map<char32_t, Glyph> cache_;
};

}  // namespace ui::gfx
