// The font of last resort when no font file can be loaded: every character
// is an outlined box with a plausible advance, so layout still works.
#pragma once

#include "ui/graphics.h"

namespace ui::detail {

class BoxFont final : public Font {
  public:
    explicit BoxFont(int pixelSize);

    [[nodiscard]] int Ascent() const override { return ascent_; }
    [[nodiscard]] int Descent() const override { return descent_; }
    [[nodiscard]] int LineHeight() const override { return lineHeight_; }
    [[nodiscard]] int Measure(std::string_view text) const override;
    int DrawLine(Framebuffer& fb, int x, int top, std::string_view text, Rgb color,
                 const Rect& clip) override;

  private:
    [[nodiscard]] int Advance(char32_t c) const;

    int ascent_;
    int descent_;
    int lineHeight_;
    int blank_;
    int box_;
};

}  // namespace ui::detail
