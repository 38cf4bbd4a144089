#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "box_font.h"
#include "test_support/text_checks.h"
#include "ui/graphics.h"

namespace ui {
namespace {

using namespace ::test_support;

// The box font has fixed advances (letters 7 px, blanks 3 px at 11 px), so
// wrapping tables do not depend on the hinting of the installed face.
Font& Boxes() {
    static detail::BoxFont font(11);
    return font;
}

TEST(WrapTest, BreaksAtBlanksAndCutsOverlongWords) {
    ASSERT_EQ(Boxes().Measure("a"), 7);
    ASSERT_EQ(Boxes().Measure(" "), 3);
    struct Case {
        std::string text;
        int width;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"aaa bbb", 45, {"aaa bbb"}},
        {"aaa bbb", 44, {"aaa", "bbb"}},
        {"abc def", 21, {"abc", "def"}},      // a word exactly as wide as the line
        {"aaa   bbb", 30, {"aaa", "bbb"}},    // blanks at a break vanish
        {"aaa\tbbb", 30, {"aaa", "bbb"}},     // a tab is a blank
        {"  aaa bbb", 30, {"  aaa", "bbb"}},  // leading blanks stay on the first line
        {"aa bb cc", 38, {"aa bb", "cc"}},
        {"abcdefghij", 21, {"abc", "def", "ghi", "j"}},
        {"ab abcdefgh", 35, {"ab", "abcde", "fgh"}},
        {"ab", 0, {"a", "b"}},  // at least one character a line
        {"ab", -10, {"a", "b"}},
        {"\xC3\xA9\xC3\xA9\xC3\xA9", 14, {"\xC3\xA9\xC3\xA9", "\xC3\xA9"}},
        {"a\r\nb\nc\rd", 100, {"a", "b", "c", "d"}},
        {"a\n\nb", 100, {"a", "", "b"}},
        {"a\r\n", 100, {"a"}},
        {"aaa bbb\nccc", 30, {"aaa", "bbb", "ccc"}},
        {"aaa   ", 100, {"aaa   "}},
        {"   ", 5, {" "}},
        {"", 100, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Boxes().Wrap(c.text, c.width), c.lines)
            << testing::PrintToString(c.text) << " in " << c.width;
    }
}

// DrawText must put each line exactly where DrawLine would draw it at the
// position its alignment flags name.
TEST(DrawTextTest, AlignmentPlacesEachLine) {
    Font& font = Font::System();
    const Rect box{10, 20, 130, 70};
    const std::string one = "Hg Wx";
    const int w = font.Measure(one);
    const int lh = font.LineHeight();
    struct Line {
        std::string text;
        int x, y;
    };
    struct Case {
        std::string text;
        unsigned format;
        std::vector<Line> lines;
    };
    const int shortW = font.Measure("ab");
    const int longW = font.Measure("a longer line");
    const Case cases[] = {
        {one, DT_SINGLELINE, {{one, 10, 20}}},
        {one, DT_SINGLELINE | DT_CENTER, {{one, 10 + (120 - w) / 2, 20}}},
        {one, DT_SINGLELINE | DT_RIGHT, {{one, 130 - w, 20}}},
        {one, DT_SINGLELINE | DT_VCENTER, {{one, 10, 20 + (50 - lh) / 2}}},
        {one, DT_SINGLELINE | DT_BOTTOM, {{one, 10, 70 - lh}}},
        {one,
         DT_SINGLELINE | DT_CENTER | DT_VCENTER,
         {{one, 10 + (120 - w) / 2, 20 + (50 - lh) / 2}}},
        {one, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM, {{one, 130 - w, 70 - lh}}},
        {"ab\na longer line",
         DT_CENTER,
         {{"ab", 10 + (120 - shortW) / 2, 20}, {"a longer line", 10 + (120 - longW) / 2, 20 + lh}}},
        {"ab\r\na longer line",
         DT_RIGHT | DT_BOTTOM,
         {{"ab", 130 - shortW, 70 - 2 * lh}, {"a longer line", 130 - longW, 70 - lh}}},
        {"ab\na longer line",
         DT_VCENTER,
         {{"ab", 10, 20 + (50 - 2 * lh) / 2}, {"a longer line", 10, 20 + (50 - 2 * lh) / 2 + lh}}},
    };
    for (const auto& c : cases) {
        Framebuffer drawn = Paper();
        Rect r = box;
        const int height = font.DrawText(drawn, c.text, r, c.format, kInk, nullptr);
        EXPECT_EQ(r, box);
        EXPECT_EQ(height, static_cast<int>(c.lines.size()) * lh);

        Framebuffer expected = Paper();
        for (const Line& line : c.lines) {
            font.DrawLine(expected, line.x, line.y, line.text, kInk, box);
        }
        EXPECT_FALSE(InkBounds(drawn).Empty());
        EXPECT_TRUE(SamePixels(drawn, expected))
            << testing::PrintToString(c.text) << " format " << c.format;
    }
}

TEST(DrawTextTest, CalcRectMeasuresWithoutDrawing) {
    Font& font = Font::System();
    const int lh = font.LineHeight();
    struct Case {
        Font* font;
        std::string text;
        unsigned format;
        Rect in;
        int right, bottom;
    };
    const Case cases[] = {
        {&font, "Hello", DT_SINGLELINE, {5, 6, 5, 6}, 5 + font.Measure("Hello"), 6 + lh},
        {&font, "ab\nlonger line", DT_LEFT, {0, 0, 10, 10}, font.Measure("longer line"), 2 * lh},
        {&font,
         "ab\nlonger line",
         DT_CENTER | DT_VCENTER,
         {3, 4, 300, 200},
         3 + font.Measure("longer line"),
         4 + 2 * lh},
        {&Boxes(), "aaa bbb ccc", DT_WORDBREAK, {10, 0, 60, 0}, 10 + 45, 2 * lh},
        {&Boxes(), "a\tb", DT_SINGLELINE, {0, 0, 0, 0}, 17, lh},
        {&font, "", DT_LEFT, {7, 8, 90, 90}, 7, 8},
    };
    for (const auto& c : cases) {
        Framebuffer fb = Paper();
        Rect r = c.in;
        const int height = c.font->DrawText(fb, c.text, r, c.format | DT_CALCRECT, kInk, &kInk);
        EXPECT_EQ(r, (Rect{c.in.left, c.in.top, c.right, c.bottom}))
            << testing::PrintToString(c.text);
        EXPECT_EQ(height, c.bottom - c.in.top);
        EXPECT_TRUE(InkBounds(fb).Empty());
    }
}

TEST(DrawTextTest, OpaqueBackgroundFillsEachLinesCellOnly) {
    Font& font = Font::System();
    const Rgb blue = 0x0000FF;
    const int lh = font.LineHeight();
    for (unsigned align : {DT_LEFT, DT_CENTER, DT_RIGHT}) {
        Framebuffer fb = Paper();
        Rect r{10, 10, 150, 90};
        font.DrawText(fb, "ab\nabcde", r, align, kInk, &blue);
        std::vector<Rect> cells;
        int y = 10;
        for (const char* line : {"ab", "abcde"}) {
            const int w = font.Measure(line);
            const int x = align == DT_CENTER  ? 10 + (140 - w) / 2
                          : align == DT_RIGHT ? 150 - w
                                              : 10;
            cells.push_back({x, y, x + w, y + lh});
            y += lh;
        }
        for (int py = 0; py < fb.Height(); ++py) {
            for (int px = 0; px < fb.Width(); ++px) {
                const bool inCell = cells[0].Contains({px, py}) || cells[1].Contains({px, py});
                const Rgb p = fb.GetPixel(px, py);
                if (inCell) {
                    ASSERT_NE(p, kPaper) << align << ": " << px << "," << py;
                    ASSERT_EQ(GreenOf(p), 0);  // ink blended over blue, never over paper
                } else {
                    ASSERT_EQ(p, kPaper) << align << ": " << px << "," << py;
                }
            }
        }
    }
}

TEST(DrawTextTest, ClipsToTheRectangleUnlessNoClip) {
    Font& font = Font::System();
    const std::string text = "Wide text that overflows its box";
    const Rect box{20, 20, 60, 30};  // narrower and lower than the text
    struct Case {
        unsigned format;
        Rect fbClip;
        Rect allowed;
        bool spills;
    };
    const Case cases[] = {
        {DT_SINGLELINE, {0, 0, 160, 100}, box, false},
        {DT_SINGLELINE | DT_CENTER, {0, 0, 160, 100}, box, false},
        {DT_SINGLELINE | DT_NOCLIP, {0, 0, 160, 100}, {0, 0, 160, 100}, true},
        {DT_SINGLELINE | DT_NOCLIP, {0, 0, 50, 100}, {0, 0, 50, 100}, true},
        {DT_SINGLELINE, {40, 0, 160, 100}, {40, 20, 60, 30}, false},
    };
    for (const auto& c : cases) {
        Framebuffer fb = Paper();
        fb.SetClip(c.fbClip);
        Rect r = box;
        font.DrawText(fb, text, r, c.format, kInk, nullptr);
        const Rect ink = InkBounds(fb);
        ASSERT_FALSE(ink.Empty());
        EXPECT_EQ(ink.Intersect(c.allowed), ink) << c.format;
        EXPECT_EQ(ink.Intersect(box) != ink, c.spills) << c.format;
    }
}

TEST(DrawTextTest, SingleLineIgnoresBreaksAndWordBreakCountsWrappedLines) {
    Font& font = Boxes();
    Framebuffer fb = Paper();
    Rect r{0, 0, 44, 100};
    EXPECT_EQ(font.DrawText(fb, "aaa bbb\nccc", r, DT_SINGLELINE | DT_WORDBREAK, kInk, nullptr),
              13);
    EXPECT_EQ(font.DrawText(fb, "aaa bbb\nccc", r, DT_WORDBREAK, kInk, nullptr), 39);
    EXPECT_EQ(font.DrawText(fb, "aaa bbb\nccc", r, DT_LEFT, kInk, nullptr), 26);
}

TEST(DrawTextTest, GarbageTextAndOddRectanglesAreSafe) {
    std::mt19937 random(5);
    const unsigned formats[] = {DT_LEFT, DT_WORDBREAK, DT_SINGLELINE | DT_CENTER | DT_VCENTER,
                                DT_WORDBREAK | DT_RIGHT | DT_BOTTOM | DT_NOCLIP, DT_CALCRECT};
    const Rect rects[] = {{0, 0, 160, 100},
                          {50, 50, 10, 10},
                          {-30, -30, 5, 5},
                          {INT_MIN / 2, 0, INT_MAX / 2, 100},
                          {0, 0, 1, 1}};
    const Rgb background = 0x123456;
    for (int round = 0; round < 200; ++round) {
        std::string bytes(static_cast<std::size_t>(random() % 64), '\0');
        for (char& b : bytes) {
            b = static_cast<char>(random() % 256);
        }
        for (const unsigned format : formats) {
            for (const Rect& rect : rects) {
                Framebuffer fb(50, 30);
                Rect r = rect;
                const int height =
                    Font::System().DrawText(fb, bytes, r, format, 0xFFFFFF, &background);
                EXPECT_GE(height, 0);
            }
        }
    }
}

}  // namespace
}  // namespace ui
