#include "screen_compare.h"

#include <algorithm>

namespace script::detail {

namespace {

constexpr ui::Rgb kDifferent = ui::MakeRgb(0xFF, 0x00, 0xFF);

// The same pixel, as a dim grey: the unchanged scene behind the differences.
ui::Rgb Dimmed(ui::Rgb c) {
    const int luma = (ui::RedOf(c) * 299 + ui::GreenOf(c) * 587 + ui::BlueOf(c) * 114) / 1000;
    const auto grey = static_cast<std::uint8_t>(64 + luma / 4);
    return ui::MakeRgb(grey, grey, grey);
}

}  // namespace

ui::Framebuffer Crop(const ui::Framebuffer& picture, const ui::Rect& area) {
    ui::Framebuffer part(area.Width(), area.Height());
    for (int y = 0; y < area.Height(); ++y) {
        for (int x = 0; x < area.Width(); ++x) {
            part.SetPixel(x, y, picture.GetPixel(area.left + x, area.top + y));
        }
    }
    return part;
}

ScreenDifference Compare(const ui::Framebuffer& screen, const ui::Rect& area,
                         const ui::Framebuffer& reference) {
    ScreenDifference d;
    d.picture = ui::Framebuffer(area.Width(), area.Height());
    for (int y = 0; y < area.Height(); ++y) {
        for (int x = 0; x < area.Width(); ++x) {
            const ui::Rgb want = reference.GetPixel(x, y);
            if (screen.GetPixel(area.left + x, area.top + y) == want) {
                d.picture.SetPixel(x, y, Dimmed(want));
                continue;
            }
            d.picture.SetPixel(x, y, kDifferent);
            const int sx = area.left + x;
            const int sy = area.top + y;
            if (d.pixels++ == 0) {
                d.box = {sx, sy, sx + 1, sy + 1};
            } else {
                d.box = {std::min(d.box.left, sx), std::min(d.box.top, sy),
                         std::max(d.box.right, sx + 1), std::max(d.box.bottom, sy + 1)};
            }
        }
    }
    return d;
}

}  // namespace script::detail
