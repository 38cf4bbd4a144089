#include "glyph_blend.h"

namespace ui::detail {

void BlendCoverage(Framebuffer& fb, int x, int y, const std::uint8_t* coverage, int width, int rows,
                   Rgb color, const Rect& clip) {
    const Rect box = Rect{x, y, x + width, y + rows}.Intersect(clip);
    if (box.Empty()) {
        return;
    }
    const auto stride = static_cast<std::size_t>(fb.Width());
    for (int row = box.top; row < box.bottom; ++row) {
        const std::uint8_t* source = coverage + static_cast<std::ptrdiff_t>(row - y) * width;
        std::uint32_t* target = fb.Data() + static_cast<std::size_t>(row) * stride;
        for (int col = box.left; col < box.right; ++col) {
            const unsigned a = source[col - x];
            if (a != 0) {
                target[col] = Blend(target[col], color, a);
            }
        }
    }
}

}  // namespace ui::detail
