#include <algorithm>
#include <cstddef>

#include "ui/graphics.h"

namespace ui {

Framebuffer::Framebuffer(int width, int height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      clip_{0, 0, width_, height_},
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), 0U) {}

void Framebuffer::SetClip(const Rect& clip) {
    clip_ = clip.Intersect({0, 0, width_, height_});
}

void Framebuffer::ResetClip() {
    clip_ = {0, 0, width_, height_};
}

Rgb Framebuffer::GetPixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return 0;
    }
    return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                   static_cast<std::size_t>(x)];
}

void Framebuffer::SetPixel(int x, int y, Rgb color) {
    if (!clip_.Contains({x, y})) {
        return;
    }
    pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
            static_cast<std::size_t>(x)] = color;
}

void Framebuffer::FillRect(const Rect& r, Rgb color) {
    const Rect c = r.Intersect(clip_);
    if (c.Empty()) {
        return;
    }
    const auto stride = static_cast<std::size_t>(width_);
    const auto count = static_cast<std::size_t>(c.Width());
    auto* row = pixels_.data() + static_cast<std::size_t>(c.top) * stride +
                static_cast<std::size_t>(c.left);
    for (int y = c.top; y < c.bottom; ++y, row += stride) {
        std::fill_n(row, count, color);
    }
}

void Framebuffer::HLine(int x0, int x1, int y, Rgb color) {
    // y + 1 would overflow at INT_MAX; such a row is outside anyway.
    if (y < clip_.top || y >= clip_.bottom) {
        return;
    }
    FillRect({x0, y, x1, y + 1}, color);
}

void Framebuffer::VLine(int x, int y0, int y1, Rgb color) {
    if (x < clip_.left || x >= clip_.right) {
        return;
    }
    FillRect({x, y0, x + 1, y1}, color);
}

void Framebuffer::FrameRect(const Rect& r, Rgb color) {
    if (r.Empty()) {
        return;
    }
    HLine(r.left, r.right, r.top, color);
    HLine(r.left, r.right, r.bottom - 1, color);
    VLine(r.left, r.top + 1, r.bottom - 1, color);
    VLine(r.right - 1, r.top + 1, r.bottom - 1, color);
}

}  // namespace ui
