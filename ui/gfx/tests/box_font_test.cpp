// The box glyphs drawn where the platform has no face.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "box_font.h"
#include "test_support/text_checks.h"
#include "ui/graphics.h"

namespace ui {
namespace {

using namespace ::test_support;

TEST(BoxFontTest, LaysOutAndDrawsBoxesWithTheSystemFontsMetrics) {
    detail::BoxFont font(11);
    EXPECT_EQ(font.Ascent(), 11);
    EXPECT_EQ(font.Descent(), 3);
    EXPECT_EQ(font.LineHeight(), 13);
    const int letter = font.Measure("a");
    const int blank = font.Measure(" ");
    EXPECT_GT(letter, blank);
    EXPECT_GT(blank, 0);
    EXPECT_EQ(font.Measure("a b\xE2\x82\xAC"), 3 * letter + blank);

    Framebuffer fb = Paper();
    EXPECT_EQ(font.DrawLine(fb, 10, 10, "   ", kInk, {0, 0, 160, 100}), 3 * blank);
    EXPECT_TRUE(InkBounds(fb).Empty());
    font.DrawLine(fb, 10, 10, "ab", kInk, {0, 0, 160, 100});
    const Rect ink = InkBounds(fb);
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.right, 10 + 2 * letter);
    EXPECT_EQ(ink.bottom, 10 + font.Ascent());
    EXPECT_TRUE(fb.Clip() == (Rect{0, 0, 160, 100}));  // its own clipping is undone
}

// Random bytes and code points beyond any face are drawn somehow and never
// read or write out of bounds.
TEST(BoxFontTest, AnyBytesAreSafeToMeasureAndDraw) {
    std::mt19937 random(11);
    detail::BoxFont font(11);
    for (int round = 0; round < 300; ++round) {
        std::string bytes(static_cast<std::size_t>(random() % 40), '\0');
        for (char& b : bytes) {
            b = static_cast<char>(random() % 256);
        }
        Framebuffer fb(40, 20);
        EXPECT_EQ(font.DrawLine(fb, -5, -3, bytes, 0xFFFFFF, {0, 0, 40, 20}), font.Measure(bytes));
    }
}

}  // namespace
}  // namespace ui
