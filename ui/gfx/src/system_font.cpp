#include <atomic>
#include <cstdio>

#include "box_font.h"
#include "freetype_font.h"
#include "ui/graphics.h"

namespace ui {

namespace {

// The unit's dialogs are laid out for its 8-point system font (Tahoma):
// 11 pixels high, about 5 pixels a character. DejaVu Sans Condensed at that
// size keeps DejaVu Sans's heights (ascent 11, descent 3, line 13) and comes
// within a few per cent of Tahoma's widths; DejaVu Sans itself is a tenth
// wider and clips captions the unit fits exactly.
constexpr const char* kRegularPath = "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed.ttf";
constexpr const char* kBoldPath = "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf";
constexpr int kSystemPixelSize = 11;

}  // namespace

std::unique_ptr<Font> Font::FromFile(const std::string& path, int pixelSize) {
    std::string error;
    if (auto font = detail::FreeTypeFont::Open(path, pixelSize, &error)) {
        return font;
    }
    static std::atomic<bool> told{false};
    if (!told.exchange(true)) {
        static_cast<void>(
            std::fprintf(stderr, "kestrin: %s; text is drawn as boxes\n", error.c_str()));
    }
    return std::make_unique<detail::BoxFont>(pixelSize);
}

Font& Font::System(FontWeight weight) {
    if (weight == FontWeight::Bold) {
        static const std::unique_ptr<Font> bold = FromFile(kBoldPath, kSystemPixelSize);
        return *bold;
    }
    static const std::unique_ptr<Font> regular = FromFile(kRegularPath, kSystemPixelSize);
    return *regular;
}

}  // namespace ui
