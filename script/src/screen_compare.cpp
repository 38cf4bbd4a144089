#include "screen_compare.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "text_escapes.h"

namespace script::detail {

namespace {

constexpr ui::Rgb kDifferent = ui::MakeRgb(0xFF, 0x00, 0xFF);
constexpr ui::Rgb kHatch = ui::MakeRgb(0xC7, 0x77, 0x00);  // as the report hatches masks

// The same pixel, as a dim grey: the unchanged scene behind the differences.
ui::Rgb Dimmed(ui::Rgb c) {
    const int luma = (ui::RedOf(c) * 299 + ui::GreenOf(c) * 587 + ui::BlueOf(c) * 114) / 1000;
    const auto grey = static_cast<std::uint8_t>(64 + luma / 4);
    return ui::MakeRgb(grey, grey, grey);
}

// "1.5%" from 150.
std::string Percent(int basis) {
    std::string text = std::to_string(basis / 100);
    if (const int rest = basis % 100; rest != 0) {
        text += '.';
        text += static_cast<char>('0' + rest / 10);
        if (rest % 10 != 0) {
            text += static_cast<char>('0' + rest % 10);
        }
    }
    return text + '%';
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

int Distance(ui::Rgb a, ui::Rgb b) {
    return std::max({std::abs(ui::RedOf(a) - ui::RedOf(b)),
                     std::abs(ui::GreenOf(a) - ui::GreenOf(b)),
                     std::abs(ui::BlueOf(a) - ui::BlueOf(b))});
}

std::vector<bool> Compared(const ExpectScreen& e) {
    const ui::Rect& area = e.area;
    std::vector<bool> compared(
        static_cast<std::size_t>(area.Width()) * static_cast<std::size_t>(area.Height()), true);
    for (const ui::Rect& mask : e.masks) {
        const ui::Rect in = mask.Intersect(area);
        for (int y = in.top; y < in.bottom; ++y) {
            for (int x = in.left; x < in.right; ++x) {
                compared[static_cast<std::size_t>(y - area.top) *
                             static_cast<std::size_t>(area.Width()) +
                         static_cast<std::size_t>(x - area.left)] = false;
            }
        }
    }
    return compared;
}

ScreenDifference Compare(const ui::Framebuffer& screen, const ExpectScreen& e,
                         const ui::Framebuffer& reference) {
    const ui::Rect& area = e.area;
    const std::vector<bool> compared = Compared(e);
    ScreenDifference d;
    d.picture = ui::Framebuffer(area.Width(), area.Height());
    for (int y = 0; y < area.Height(); ++y) {
        for (int x = 0; x < area.Width(); ++x) {
            const ui::Rgb want = reference.GetPixel(x, y);
            if (!compared[static_cast<std::size_t>(y) * static_cast<std::size_t>(area.Width()) +
                          static_cast<std::size_t>(x)]) {
                d.picture.SetPixel(x, y, (x + y) % 6 < 2 ? kHatch : Dimmed(want));
                continue;
            }
            ++d.compared;
            const int sx = area.left + x;
            const int sy = area.top + y;
            if (Distance(screen.GetPixel(sx, sy), want) <= e.tolerance.distance) {
                d.picture.SetPixel(x, y, Dimmed(want));
                continue;
            }
            d.picture.SetPixel(x, y, kDifferent);
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

bool Tolerated(const ScreenDifference& d, const ScreenTolerance& tolerance) {
    if (tolerance.shareBasis) {
        return static_cast<std::int64_t>(d.pixels) * 10000 <=
               static_cast<std::int64_t>(*tolerance.shareBasis) * d.compared;
    }
    return d.pixels <= tolerance.pixels;
}

std::string Described(const ScreenDifference& d, const ScreenTolerance& tolerance,
                      const std::string& named) {
    std::string text =
        std::to_string(d.pixels) + (d.pixels == 1 ? " pixel differs" : " pixels differ");
    if (tolerance.distance > 0) {
        text += " by more than " + std::to_string(tolerance.distance);
    }
    text += " from " + Quote(named) + " in x " + std::to_string(d.box.left) + ".." +
            std::to_string(d.box.right - 1) + ", y " + std::to_string(d.box.top) + ".." +
            std::to_string(d.box.bottom - 1);
    if (tolerance.shareBasis) {
        text += " (at most " + Percent(*tolerance.shareBasis) + " of the " +
                std::to_string(d.compared) + " compared may)";
    } else if (tolerance.pixels > 0) {
        text += " (at most " + std::to_string(tolerance.pixels) + " may)";
    }
    return text;
}

}  // namespace script::detail
