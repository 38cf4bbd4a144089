// DejaVu (or any TrueType face) through FreeType, with a glyph cache keyed by
// glyph index so that its size is bounded by the face whatever text arrives.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/graphics.h"

namespace ui::detail {

class FreeTypeFont final : public Font {
  public:
    // nullptr, with the reason in *error, when the face cannot be loaded.
    static std::unique_ptr<FreeTypeFont> Open(const std::string& path, int pixelSize,
                                              std::string* error);
    struct Faces;
    // Only Open can make the faces.
    explicit FreeTypeFont(std::unique_ptr<Faces> faces);
    ~FreeTypeFont() override;
    FreeTypeFont(const FreeTypeFont&) = delete;
    FreeTypeFont& operator=(const FreeTypeFont&) = delete;

    [[nodiscard]] int Ascent() const override { return ascent_; }
    [[nodiscard]] int Descent() const override { return descent_; }
    [[nodiscard]] int LineHeight() const override { return lineHeight_; }
    [[nodiscard]] int Measure(std::string_view text) const override;
    int DrawLine(Framebuffer& fb, int x, int top, std::string_view text, Rgb color,
                 const Rect& clip) override;

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
    Glyph Render(unsigned index) const;

    std::unique_ptr<Faces> faces_;
    int ascent_ = 0;
    int descent_ = 0;
    int lineHeight_ = 0;
    mutable std::mutex mutex_;
    mutable std::vector<unsigned> asciiIndex_;         // glyph index of code points below 128
    mutable std::vector<std::optional<Glyph>> cache_;  // by glyph index
};

}  // namespace ui::detail
