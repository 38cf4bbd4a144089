// The host's system faces: DejaVu Sans Condensed through FreeType.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "system_faces.h"
#include "test_support/text_checks.h"
#include "ui/graphics.h"

namespace ui {
namespace {

using namespace testing_support;
using namespace ::test_support;

class FontTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!testing_support::HaveSystemFaces()) {
            GTEST_SKIP() << "fonts-dejavu-extra is not installed";
        }
    }
};

TEST_F(FontTest, SystemFontsHaveTheUnitsMetrics) {
    for (FontWeight weight : {FontWeight::Normal, FontWeight::Bold}) {
        const Font& font = Font::System(weight);
        EXPECT_EQ(font.Ascent(), 11);
        EXPECT_EQ(font.Descent(), 3);
        EXPECT_EQ(font.LineHeight(), 13);
    }
    EXPECT_EQ(&Font::System(), &Font::System(FontWeight::Normal));
    EXPECT_NE(&Font::System(FontWeight::Normal), &Font::System(FontWeight::Bold));
}

TEST_F(FontTest, MeasureIsTheSumOfAdvances) {
    const Font& font = Font::System();
    EXPECT_EQ(font.Measure(""), 0);
    const std::pair<std::string, std::string> splits[] = {
        {"Battery", " 3950mV"}, {"GPS ", "Information"}, {"\xC3\xA9t\xC3\xA9", "!"}};
    for (const auto& [a, b] : splits) {
        EXPECT_EQ(font.Measure(a + b), font.Measure(a) + font.Measure(b)) << a << b;
    }
    EXPECT_LT(font.Measure("iii"), font.Measure("WWW"));
    EXPECT_EQ(font.Measure("a\tb"), font.Measure("a b"));
    EXPECT_EQ(font.Measure("\xFF"), font.Measure("\xEF\xBF\xBD"));
    EXPECT_GT(Font::System(FontWeight::Bold).Measure("Kestrin"), font.Measure("Kestrin"));
}

TEST_F(FontTest, DrawLineSitsOnTheBaselineAndReturnsTheAdvance) {
    Font& font = Font::System();
    Framebuffer fb = Paper();
    const int advance = font.DrawLine(fb, 20, 30, "HHH", kInk, {0, 0, 160, 100});
    EXPECT_EQ(advance, font.Measure("HHH"));
    const Rect ink = InkBounds(fb);
    EXPECT_EQ(ink.bottom, 30 + font.Ascent());  // capitals end on the baseline
    EXPECT_GE(ink.top, 30);
    EXPECT_GE(ink.left, 20);
    EXPECT_LE(ink.right, 20 + advance);

    Framebuffer low = Paper();
    font.DrawLine(low, 20, 30, "gjpqy", kInk, {0, 0, 160, 100});
    const Rect descenders = InkBounds(low);
    EXPECT_GT(descenders.bottom, 30 + font.Ascent());
    EXPECT_LE(descenders.bottom, 30 + font.Ascent() + font.Descent());
}

TEST_F(FontTest, GlyphsAreAntiAliasedAndBlendedOverTheBackground) {
    Font& font = Font::System();
    Framebuffer fb = Paper();
    font.DrawLine(fb, 4, 4, "Kestrin 0.1 ~@", kInk, {0, 0, 160, 100});
    int grey = 0;
    for (int y = 0; y < fb.Height(); ++y) {
        for (int x = 0; x < fb.Width(); ++x) {
            const Rgb p = fb.GetPixel(x, y);
            ASSERT_TRUE(RedOf(p) == GreenOf(p) && GreenOf(p) == BlueOf(p));
            grey += (p != kInk && p != kPaper) ? 1 : 0;
        }
    }
    EXPECT_GT(grey, 10);

    // Red over blue mixes the two and nothing else.
    Framebuffer mixed(60, 20);
    mixed.FillRect({0, 0, 60, 20}, 0x0000FF);
    font.DrawLine(mixed, 2, 2, "Wave", 0xFF0000, {0, 0, 60, 20});
    bool sawMix = false;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 60; ++x) {
            const Rgb p = mixed.GetPixel(x, y);
            ASSERT_EQ(GreenOf(p), 0);
            ASSERT_NEAR(RedOf(p) + BlueOf(p), 255, 1);
            sawMix = sawMix || (RedOf(p) > 0 && BlueOf(p) > 0);
        }
    }
    EXPECT_TRUE(sawMix);
}

TEST_F(FontTest, DrawLineChangesOnlyPixelsInsideBothClips) {
    Font& font = Font::System(FontWeight::Bold);
    const std::string text = "Clip me Wgy";
    Framebuffer full = Paper();
    font.DrawLine(full, 10, 10, text, kInk, {0, 0, 160, 100});
    struct Case {
        Rect clip;
        Rect fbClip;
    };
    const Case cases[] = {
        {{0, 0, 40, 100}, {0, 0, 160, 100}},    // left part
        {{40, 0, 160, 100}, {0, 0, 160, 100}},  // right part
        {{0, 0, 160, 16}, {0, 0, 160, 100}},    // upper rows only
        {{0, 18, 160, 100}, {0, 0, 160, 100}},  // descenders only
        {{0, 0, 160, 100}, {30, 12, 50, 20}},   // the framebuffer's own clip
        {{20, 0, 60, 100}, {40, 0, 160, 100}},  // both
        {{5, 5, 5, 50}, {0, 0, 160, 100}},      // empty
        {{-50, -50, 400, 400}, {0, 0, 160, 100}},
    };
    for (const auto& c : cases) {
        Framebuffer fb = Paper();
        fb.SetClip(c.fbClip);
        font.DrawLine(fb, 10, 10, text, kInk, c.clip);
        const Rect allowed = c.clip.Intersect(c.fbClip);
        for (int y = 0; y < fb.Height(); ++y) {
            for (int x = 0; x < fb.Width(); ++x) {
                const Rgb want = allowed.Contains({x, y}) ? full.GetPixel(x, y) : kPaper;
                ASSERT_EQ(fb.GetPixel(x, y), want) << x << "," << y;
            }
        }
    }
}

// Random bytes, code points the face lacks and control characters are all
// drawn somehow and never read or write out of bounds.
TEST(FontGarbageTest, AnyBytesAreSafeToMeasureAndDraw) {
    std::mt19937 random(11);
    for (Font* font : {&Font::System(), &Font::System(FontWeight::Bold)}) {
        for (int round = 0; round < 300; ++round) {
            std::string bytes(static_cast<std::size_t>(random() % 40), '\0');
            for (char& b : bytes) {
                b = static_cast<char>(random() % 256);
            }
            Framebuffer fb(40, 20);
            const int advance = font->DrawLine(fb, -5, -3, bytes, 0xFFFFFF, {0, 0, 40, 20});
            EXPECT_EQ(advance, font->Measure(bytes));
        }
        // CJK, the last code point, private use, an emoji, an unassigned one.
        const std::string unusual =
            "\xE4\xB8\xAD\xF4\x8F\xBF\xBF\xEE\x80\x80\xF0\x9F\x98\x80\xCD\xB8";
        Framebuffer fb(40, 20);
        font->DrawLine(fb, 0, 0, unusual, 0xFFFFFF, {0, 0, 40, 20});
        EXPECT_GT(font->Measure(unusual), 0);
    }
}

}  // namespace
}  // namespace ui
