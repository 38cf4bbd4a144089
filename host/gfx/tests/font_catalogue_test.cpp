// Finding the system face: fontconfig's match taken only when it is the face
// asked for, and KESTRIN_FONT naming one by hand.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "freetype_font.h"
#include "system_faces.h"
#include "ui/gfx_backend.h"

namespace ui::gfx {
namespace {

namespace fs = std::filesystem;

constexpr const char* kSample = "Kestrin Diag 0123 WMW";

class FontLookupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto faces = testing_support::FindSystemFaces();
        const auto fonts = FontCatalogue::System();
        const auto wide = fonts ? fonts->Find("DejaVu Sans", FontWeight::Normal)
                                : platform::Result<std::string>(platform::Fail("no fonts"));
        if (!faces || !wide) {
            GTEST_SKIP() << "fonts-dejavu-core and fonts-dejavu-extra are not installed";
        }
        condensed_ = faces->regular;
        condensedBold_ = faces->bold;
        wide_ = *wide;
        folder_ = fs::path(::testing::TempDir()) / ("kestrin_fonts_" + std::to_string(::getpid()));
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    // The width of the sample in the face of a file, or in a font.
    static int Width(const std::string& file) {
        const auto font = FreeTypeFont::Open(file, kSystemPixelSize);
        return font ? (*font)->Measure(kSample) : -1;
    }

    std::string condensed_;
    std::string condensedBold_;
    std::string wide_;
    fs::path folder_;
};

TEST_F(FontLookupTest, OnlyTheFaceAskedForWithItsFileIsTaken) {
    // A copy of the regular face that is gone by the time it is looked up.
    const std::string vanished = (folder_ / "DejaVuSansCondensed.ttf").string();
    fs::copy_file(condensed_, vanished);
    const auto stale = FontCatalogue::Of({vanished});
    ASSERT_TRUE(stale) << stale.error();
    fs::remove(vanished);

    struct Case {
        const char* name;
        std::vector<std::string> files;
        FontWeight weight;
        std::string found;  // empty: none
        std::string why;    // part of the reason when none
    };
    const Case cases[] = {
        {"regular", {condensed_, condensedBold_}, FontWeight::Normal, condensed_, ""},
        {"bold", {condensed_, condensedBold_}, FontWeight::Bold, condensedBold_, ""},
        {"another family", {wide_}, FontWeight::Normal, "", "no DejaVu Sans Condensed among"},
        {"no bold face", {condensed_}, FontWeight::Bold, "", "no DejaVu Sans Condensed Bold"},
        {"no regular face", {condensedBold_}, FontWeight::Normal, "", "nearest: DejaVu Sans"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto fonts = FontCatalogue::Of(c.files);
        ASSERT_TRUE(fonts) << fonts.error();
        const auto file = fonts->Find(kSystemFamily, c.weight);
        EXPECT_EQ(file ? *file : "", c.found);
        if (c.found.empty()) {
            ASSERT_FALSE(file);
            EXPECT_NE(file.error().find(c.why), std::string::npos) << file.error();
        }
    }
    const auto gone = stale->Find(kSystemFamily, FontWeight::Normal);
    ASSERT_FALSE(gone);
    EXPECT_EQ(gone.error(), "DejaVu Sans Condensed: " + vanished + ": No such file or directory");

    const auto unread = FontCatalogue::Of({"/nonexistent/face.ttf"});
    ASSERT_FALSE(unread);
    EXPECT_EQ(unread.error(), "/nonexistent/face.ttf: fontconfig cannot read it");
}

// KESTRIN_FONT's face serves both weights; one that cannot be used is
// reported and the family is looked up as without it.
TEST_F(FontLookupTest, AFaceNamedByHandIsUsedWhenItOpens) {
    ASSERT_NE(Width(wide_), Width(condensed_));
    const std::string notAFont = (folder_ / "notes.ttf").string();
    std::ofstream(notAFont) << "not a font";
    const std::string empty = (folder_ / "empty.ttf").string();
    std::ofstream(empty).close();
    const auto system = FontCatalogue::System();
    const auto onlyWide = FontCatalogue::Of({wide_});
    const auto onlyRegular = FontCatalogue::Of({condensed_});
    ASSERT_TRUE(system && onlyWide && onlyRegular);
    const CatalogueSource systemFonts = [&] {
        return platform::Result<const FontCatalogue*>(&*system);
    };
    const CatalogueSource wideOnly = [&] {
        return platform::Result<const FontCatalogue*>(&*onlyWide);
    };
    const CatalogueSource regularOnly = [&] {
        return platform::Result<const FontCatalogue*>(&*onlyRegular);
    };
    const CatalogueSource none = [] {
        return platform::Result<const FontCatalogue*>(platform::Fail("no catalogue"));
    };

    struct Case {
        const char* name;
        const char* byHand;
        const CatalogueSource* catalogue;
        int regularWidth;       // -1: no face
        int boldWidth;          // -1: no face
        std::string byHandWhy;  // part of the complaint about KESTRIN_FONT
        std::string why;        // part of the reason when there is no face
    };
    const Case cases[] = {
        {"by hand", wide_.c_str(), &none, Width(wide_), Width(wide_), "", ""},
        {"unset", nullptr, &systemFonts, Width(condensed_), Width(condensedBold_), "", ""},
        {"empty", "", &systemFonts, Width(condensed_), Width(condensedBold_), "", ""},
        {"missing file", "/nonexistent/by-hand.ttf", &systemFonts, Width(condensed_),
         Width(condensedBold_), "/nonexistent/by-hand.ttf: No such file or directory", ""},
        {"not a font", notAFont.c_str(), &systemFonts, Width(condensed_), Width(condensedBold_),
         notAFont + ": not a font file", ""},
        {"an empty file", empty.c_str(), &systemFonts, Width(condensed_), Width(condensedBold_),
         empty + ": an empty file, not a font file", ""},
        {"a folder", folder_.c_str(), &systemFonts, Width(condensed_), Width(condensedBold_),
         folder_.string() + ": a folder, not a font file", ""},
        {"nothing found", "/nonexistent/by-hand.ttf", &wideOnly, -1, -1, "/nonexistent/by-hand.ttf",
         "found neither DejaVu Sans Condensed nor DejaVu Sans Condensed Bold (no DejaVu Sans "
         "Condensed"},
        {"no bold face", nullptr, &regularOnly, Width(condensed_), -1, "",
         "no DejaVu Sans Condensed Bold among"},
        {"no catalogue", nullptr, &none, -1, -1, "",
         "found neither DejaVu Sans Condensed nor DejaVu Sans Condensed Bold (no catalogue)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const FontWeight weight : {FontWeight::Normal, FontWeight::Bold}) {
            std::string byHandWhy;
            const auto face = ChooseSystemFace(weight, c.byHand, *c.catalogue, &byHandWhy);
            const int want = weight == FontWeight::Bold ? c.boldWidth : c.regularWidth;
            EXPECT_EQ(face ? (*face)->Measure(kSample) : -1, want);
            EXPECT_EQ(byHandWhy.empty(), c.byHandWhy.empty()) << byHandWhy;
            EXPECT_NE(byHandWhy.find(c.byHandWhy), std::string::npos) << byHandWhy;
            if (!face) {
                EXPECT_NE(face.error().find(c.why), std::string::npos) << face.error();
            }
        }
    }
}

// What the program does: the complaint about KESTRIN_FONT is one line for
// the whole run, and the looked-up faces are used.
TEST_F(FontLookupTest, AFaceNamedByHandThatCannotBeUsedIsSaidOnce) {
    ASSERT_EQ(::setenv("KESTRIN_FONT", "/nonexistent/by-hand.ttf", 1), 0);
    ::testing::internal::CaptureStderr();
    const auto regular = OpenSystemFace(FontWeight::Normal);
    const auto bold = OpenSystemFace(FontWeight::Bold);
    const std::string said = ::testing::internal::GetCapturedStderr();
    ::unsetenv("KESTRIN_FONT");
    ASSERT_TRUE(regular) << regular.error();
    ASSERT_TRUE(bold) << bold.error();
    EXPECT_EQ((*regular)->Measure(kSample), Width(condensed_));
    EXPECT_EQ((*bold)->Measure(kSample), Width(condensedBold_));
    EXPECT_EQ(said,
              "kestrin: KESTRIN_FONT: /nonexistent/by-hand.ttf: No such file or directory; "
              "looking up DejaVu Sans Condensed instead\n");
}

}  // namespace
}  // namespace ui::gfx
