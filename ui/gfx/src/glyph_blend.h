// Shared pixel work of the fonts: coverage blending under a clip.
#pragma once

#include <cstdint>

#include "ui/graphics.h"

namespace ui::detail {

// Mixes color over the pixel by coverage 0..255.
inline Rgb Blend(Rgb under, Rgb color, unsigned coverage) {
    if (coverage >= 255) {
        return color;
    }
    const unsigned keep = 255 - coverage;
    auto mix = [&](unsigned shift) {
        const unsigned s = (color >> shift) & 0xFFU;
        const unsigned d = (under >> shift) & 0xFFU;
        return ((s * coverage + d * keep + 127U) / 255U) << shift;
    };
    return mix(16) | mix(8) | mix(0);
}

// Draws a coverage bitmap (rows x width, row-major) with its top-left corner
// at (x, y); only pixels inside clip change (clip already inside fb).
void BlendCoverage(Framebuffer& fb, int x, int y, const std::uint8_t* coverage, int width, int rows,
                   Rgb color, const Rect& clip);

// The clip rectangle a text call may draw in.
inline Rect TextClip(const Framebuffer& fb, const Rect& clip) {
    return clip.Intersect(fb.Clip());
}

}  // namespace ui::detail
