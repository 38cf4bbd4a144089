// A picture for the PNG round trips: odd sizes catch stride mistakes, and
// every pixel differs from its neighbours in each channel.
#pragma once

#include <cstdint>

#include "ui/graphics.h"

namespace test_support {

inline ui::Framebuffer TestPicture() {
    ui::Framebuffer fb(37, 23);
    for (int y = 0; y < fb.Height(); ++y) {
        for (int x = 0; x < fb.Width(); ++x) {
            fb.SetPixel(
                x, y,
                ui::MakeRgb(static_cast<std::uint8_t>(x * 7), static_cast<std::uint8_t>(y * 11),
                            static_cast<std::uint8_t>((x * y) ^ 0xA5)));
        }
    }
    return fb;
}

}  // namespace test_support
