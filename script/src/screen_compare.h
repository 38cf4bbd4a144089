// Comparing a part of the screen with a reference picture: how many pixels
// differ, where, and a picture that shows them; whether that is within what
// the comparison allows.
#pragma once

#include <string>
#include <vector>

#include "script/script.h"
#include "ui/graphics.h"

namespace script::detail {

// The part of a picture inside area (which must lie inside it).
ui::Framebuffer Crop(const ui::Framebuffer& picture, const ui::Rect& area);

// The colour distance: the largest of the three channel differences, 0 to 255.
int Distance(ui::Rgb a, ui::Rgb b);

// Which pixels of e's area are compared (row by row, the area's size):
// those outside every mask.
std::vector<bool> Compared(const ExpectScreen& e);

struct ScreenDifference {
    int pixels = 0;    // how many differ by more than the distance allowed
    int compared = 0;  // the pixels of the area outside the masks
    ui::Rect box;      // the differing ones' bounding box, in the screen's coordinates
    // The reference's pixels dimmed to grey, with every differing pixel in
    // full magenta and the masks hatched: where to look, at a glance.
    ui::Framebuffer picture;
};

// Compares e's area of screen with reference (of the area's size), leaving
// out its masks.
ScreenDifference Compare(const ui::Framebuffer& screen, const ExpectScreen& e,
                         const ui::Framebuffer& reference);

// The comparison holds: no more pixels differ than e's tolerance allows.
bool Tolerated(const ScreenDifference& d, const ScreenTolerance& tolerance);

// Why it does not, named is the reference as the failure names it:
// "128 pixels differ by more than 8 from "diag.png" in x 77..97, y 188..195
// (at most 100 may)".
std::string Described(const ScreenDifference& d, const ScreenTolerance& tolerance,
                      const std::string& named);

}  // namespace script::detail
