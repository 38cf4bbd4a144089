// DejaVu (or any TrueType face) through FreeType, with a glyph cache keyed by
// glyph index so that its size is bounded by the face whatever text arrives.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"
#include "ui/glyph_font.h"

namespace ui::gfx {

class FreeTypeFont final : public GlyphFont {
  public:
    // The reason when the face cannot be loaded.
    static platform::Result<std::unique_ptr<FreeTypeFont>> Open(const std::string& path,
                                                                int pixelSize);
    struct Faces;
    // Only Open can make the faces.
    explicit FreeTypeFont(std::unique_ptr<Faces> faces);
    ~FreeTypeFont() override;
    FreeTypeFont(const FreeTypeFont&) = delete;
    FreeTypeFont& operator=(const FreeTypeFont&) = delete;

  private:
    [[nodiscard]] const Glyph& GlyphFor(char32_t codepoint) const override;
    Glyph Render(unsigned index) const;

    std::unique_ptr<Faces> faces_;
    mutable std::vector<unsigned> asciiIndex_;         // glyph index of code points below 128
    mutable std::vector<std::optional<Glyph>> cache_;  // by glyph index
};

}  // namespace ui::gfx
