// Comparing a part of the screen with a reference picture: how many pixels
// differ, where, and a picture that shows them.
#pragma once

#include "ui/graphics.h"

namespace script::detail {

// The part of a picture inside area (which must lie inside it).
ui::Framebuffer Crop(const ui::Framebuffer& picture, const ui::Rect& area);

struct ScreenDifference {
    int pixels = 0;  // how many differ
    ui::Rect box;    // their bounding box, in the screen's coordinates
    // The reference's pixels dimmed to grey, with every differing pixel in
    // full magenta: where to look, at a glance.
    ui::Framebuffer picture;
};

// Compares area of screen with reference (of area's size).
ScreenDifference Compare(const ui::Framebuffer& screen, const ui::Rect& area,
                         const ui::Framebuffer& reference);

}  // namespace script::detail
