// Helpers shared by the text tests of the framework and of each backend.
#pragma once

#include <algorithm>

#include "ui/graphics.h"

namespace test_support {

inline constexpr ui::Rgb kPaper = 0x00FFFFFF;
inline constexpr ui::Rgb kInk = 0x00000000;

inline ui::Framebuffer Paper(int width = 160, int height = 100) {
    ui::Framebuffer fb(width, height);
    fb.FillRect({0, 0, width, height}, kPaper);
    return fb;
}

// The smallest rectangle holding every pixel that is not the background.
inline ui::Rect InkBounds(const ui::Framebuffer& fb, ui::Rgb background = kPaper) {
    ui::Rect box{fb.Width(), fb.Height(), 0, 0};
    for (int y = 0; y < fb.Height(); ++y) {
        for (int x = 0; x < fb.Width(); ++x) {
            if (fb.GetPixel(x, y) != background) {
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                       std::max(box.bottom, y + 1)};
            }
        }
    }
    return box.Empty() ? ui::Rect{} : box;
}

inline bool SamePixels(const ui::Framebuffer& a, const ui::Framebuffer& b) {
    return a.Width() == b.Width() && a.Height() == b.Height() &&
           std::equal(a.Data(), a.Data() + static_cast<std::ptrdiff_t>(a.Width()) * a.Height(),
                      b.Data());
}

}  // namespace test_support
