// The Windows system fonts: Tahoma through GDI, as the unit shows it.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "gdi_font.h"
#include "test_support/text_checks.h"
#include "ui/graphics.h"

namespace ui {
namespace {

using namespace ::test_support;

TEST(GdiFontTest, SystemFontsAreTahomaAtTheUnitsSize) {
    for (FontWeight weight : {FontWeight::Normal, FontWeight::Bold}) {
        const auto* font = dynamic_cast<const gfx::GdiFont*>(&Font::System(weight));
        ASSERT_NE(font, nullptr) << "GDI made no font";
        EXPECT_EQ(font->FaceName(), "Tahoma");
        // An 11-pixel em: capitals about 8 pixels, a cell of 13 or 14.
        EXPECT_EQ(font->Ascent(), 11);
        EXPECT_GE(font->Descent(), 2);
        EXPECT_LE(font->Descent(), 3);
        EXPECT_EQ(font->LineHeight(), font->Ascent() + font->Descent());
    }
    EXPECT_GT(Font::System(FontWeight::Bold).Measure("Kestrin"), Font::System().Measure("Kestrin"));
}

TEST(GdiFontTest, TextSitsOnTheBaselineAndAdvancesByItsMeasure) {
    Font& font = Font::System();
    Framebuffer fb = Paper();
    const int advance = font.DrawLine(fb, 20, 30, "HHH", kInk, {0, 0, 160, 100});
    EXPECT_EQ(advance, font.Measure("HHH"));
    EXPECT_EQ(font.Measure("HH") + font.Measure("H"), advance);
    const Rect ink = InkBounds(fb);
    EXPECT_EQ(ink.bottom, 30 + font.Ascent());
    EXPECT_GE(ink.left, 20);
    EXPECT_LE(ink.right, 20 + advance);

    Framebuffer low = Paper();
    font.DrawLine(low, 20, 30, "gjpqy", kInk, {0, 0, 160, 100});
    EXPECT_GT(InkBounds(low).bottom, 30 + font.Ascent());
    EXPECT_LE(InkBounds(low).bottom, 30 + font.Ascent() + font.Descent());

    // Grey levels only, never colour fringes (Tahoma's own tables keep this
    // size crisp, as on the unit).
    Framebuffer shades = Paper();
    font.DrawLine(shades, 4, 4, "Kestrin 0.1 ~@ Wave", kInk, {0, 0, 160, 100});
    int inked = 0;
    for (int y = 0; y < shades.Height(); ++y) {
        for (int x = 0; x < shades.Width(); ++x) {
            const Rgb p = shades.GetPixel(x, y);
            ASSERT_TRUE(RedOf(p) == GreenOf(p) && GreenOf(p) == BlueOf(p)) << x << "," << y;
            inked += p != kPaper ? 1 : 0;
        }
    }
    EXPECT_GT(inked, 50);
}

TEST(GdiFontTest, AnyBytesAreSafeAndStayInsideTheClip) {
    std::mt19937 random(11);
    for (Font* font : {&Font::System(), &Font::System(FontWeight::Bold)}) {
        for (int round = 0; round < 100; ++round) {
            std::string bytes(static_cast<std::size_t>(random() % 40), '\0');
            for (char& b : bytes) {
                b = static_cast<char>(random() % 256);
            }
            Framebuffer fb = Paper(60, 30);
            const int advance = font->DrawLine(fb, -5, 2, bytes, kInk, {10, 5, 50, 25});
            EXPECT_EQ(advance, font->Measure(bytes));
            const Rect ink = InkBounds(fb);
            EXPECT_TRUE(ink.Empty() || ink.Intersect({10, 5, 50, 25}) == ink);
        }
        // Beyond the basic plane (a surrogate pair), private use, unassigned.
        const std::string unusual = "\xF0\x9F\x98\x80\xEE\x80\x80\xCD\xB8\xF4\x8F\xBF\xBF";
        EXPECT_GT(font->Measure(unusual), 0);
    }
}

}  // namespace
}  // namespace ui
