#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "ui/graphics.h"

namespace ui {
namespace {

constexpr int kW = 12;
constexpr int kH = 9;
constexpr Rgb kOrange = 0x00FF8040;

TEST(RectTest, IntersectKeepsTheCommonPartOrNothing) {
    struct Case {
        Rect a, b, expected;
    };
    const Case cases[] = {
        {{0, 0, 10, 10}, {5, 5, 20, 20}, {5, 5, 10, 10}},
        {{0, 0, 10, 10}, {2, 3, 4, 5}, {2, 3, 4, 5}},
        {{0, 0, 10, 10}, {10, 0, 20, 10}, {}},  // touching edges share nothing
        {{0, 0, 10, 10}, {0, 10, 10, 20}, {}},
        {{0, 0, 10, 10}, {-5, -5, -1, -1}, {}},
        {{0, 0, 10, 10}, {3, 3, 3, 8}, {}},  // empty input
        {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {1, 2, 3, 4}, {1, 2, 3, 4}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.a.Intersect(c.b), c.expected);
        EXPECT_EQ(c.b.Intersect(c.a), c.expected);
    }
}

// What each primitive should colour, pixel by pixel, before clipping.
struct Primitive {
    std::string name;
    std::function<void(Framebuffer&, const Rect&)> draw;
    std::function<bool(const Rect&, int, int)> covers;
};

std::vector<Primitive> Primitives() {
    auto inside = [](const Rect& r, int x, int y) { return r.Contains({x, y}); };
    return {
        {"FillRect", [](Framebuffer& fb, const Rect& r) { fb.FillRect(r, kOrange); }, inside},
        {"HLine", [](Framebuffer& fb, const Rect& r) { fb.HLine(r.left, r.right, r.top, kOrange); },
         [](const Rect& r, int x, int y) { return y == r.top && x >= r.left && x < r.right; }},
        {"VLine",
         [](Framebuffer& fb, const Rect& r) { fb.VLine(r.left, r.top, r.bottom, kOrange); },
         [](const Rect& r, int x, int y) { return x == r.left && y >= r.top && y < r.bottom; }},
        {"SetPixel", [](Framebuffer& fb, const Rect& r) { fb.SetPixel(r.left, r.top, kOrange); },
         [](const Rect& r, int x, int y) { return x == r.left && y == r.top; }},
        {"FrameRect", [](Framebuffer& fb, const Rect& r) { fb.FrameRect(r, kOrange); },
         [inside](const Rect& r, int x, int y) {
             return inside(r, x, y) &&
                    (x == r.left || x == r.right - 1 || y == r.top || y == r.bottom - 1);
         }},
    };
}

// Every primitive, with shapes starting and ending before, on and past each
// edge of the buffer and of an inner clip, changes exactly the pixels of its
// shape that lie inside the clip.
TEST(FramebufferTest, EveryPrimitiveIsClippedAtEveryEdge) {
    const int xs[] = {-4, -1, 0, 1, 3, kW - 2, kW - 1, kW, kW + 2};
    const int ys[] = {-4, -1, 0, 1, 3, kH - 2, kH - 1, kH, kH + 2};
    const Rect clips[] = {{0, 0, kW, kH}, {2, 1, 9, 7}, {0, 0, 1, 1}, {5, 5, 5, 9}};
    for (const Primitive& p : Primitives()) {
        for (const Rect& clip : clips) {
            for (int x0 : xs) {
                for (int x1 : xs) {
                    for (int y0 : ys) {
                        for (int y1 : ys) {
                            const Rect shape{x0, y0, x1, y1};
                            Framebuffer fb(kW, kH);
                            fb.SetClip(clip);
                            p.draw(fb, shape);
                            const Rect effective = fb.Clip();
                            for (int y = 0; y < kH; ++y) {
                                for (int x = 0; x < kW; ++x) {
                                    const bool want =
                                        effective.Contains({x, y}) && p.covers(shape, x, y);
                                    if (fb.GetPixel(x, y) == (want ? kOrange : 0U)) {
                                        continue;
                                    }
                                    FAIL() << p.name << " shape (" << x0 << "," << y0 << ")-(" << x1
                                           << "," << y1 << ") clip (" << clip.left << ","
                                           << clip.top << ")-(" << clip.right << "," << clip.bottom
                                           << ") pixel " << x << "," << y;
                                }
                            }
                        }
                    }
                }
            }
        }
    }
}

TEST(FramebufferTest, HugeCoordinatesAreClippedWithoutOverflow) {
    Framebuffer fb(kW, kH);
    fb.FillRect({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, kOrange);
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            ASSERT_EQ(fb.GetPixel(x, y), kOrange);
        }
    }
    Framebuffer other(kW, kH);
    other.HLine(INT_MIN, INT_MAX, INT_MAX, kOrange);
    other.VLine(INT_MAX, INT_MIN, INT_MAX, kOrange);
    other.HLine(INT_MIN, INT_MAX, INT_MIN, kOrange);
    other.SetPixel(INT_MIN, INT_MAX, kOrange);
    other.FrameRect({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, kOrange);
    EXPECT_EQ(other.GetPixel(0, 1), 0U);
    EXPECT_EQ(other.GetPixel(kW / 2, kH / 2), 0U);
}

TEST(FramebufferTest, GetPixelOutsideIsZeroAndClipStaysInsideTheBuffer) {
    Framebuffer fb(kW, kH);
    fb.FillRect({0, 0, kW, kH}, kOrange);
    for (const Point p : {Point{-1, 0}, Point{0, -1}, Point{kW, 0}, Point{0, kH}, Point{kW, kH}}) {
        EXPECT_EQ(fb.GetPixel(p.x, p.y), 0U) << p.x << "," << p.y;
    }
    EXPECT_EQ(fb.GetPixel(kW - 1, kH - 1), kOrange);

    fb.SetClip({-10, -10, 5, 100});
    EXPECT_EQ(fb.Clip(), (Rect{0, 0, 5, kH}));
    fb.SetClip({100, 100, 200, 200});
    EXPECT_TRUE(fb.Clip().Empty());
    fb.FillRect({0, 0, kW, kH}, 0);
    EXPECT_EQ(fb.GetPixel(3, 3), kOrange);
    fb.ResetClip();
    EXPECT_EQ(fb.Clip(), (Rect{0, 0, kW, kH}));
}

TEST(FramebufferTest, DegenerateSizesDrawNothing) {
    for (const auto& [w, h] : {std::pair{0, 0}, std::pair{-3, 5}, std::pair{4, -1}}) {
        Framebuffer fb(w, h);
        EXPECT_GE(fb.Width(), 0);
        EXPECT_GE(fb.Height(), 0);
        fb.FillRect({0, 0, 10, 10}, kOrange);
        fb.SetPixel(0, 0, kOrange);
        EXPECT_EQ(fb.GetPixel(0, 0), 0U);
    }
    EXPECT_EQ(Framebuffer().Width(), kScreenWidth);
    EXPECT_EQ(Framebuffer().Height(), kScreenHeight);
}

}  // namespace
}  // namespace ui
