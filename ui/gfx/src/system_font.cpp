#include <atomic>
#include <cstdio>

#include "box_font.h"
#include "freetype_font.h"
#include "ui/graphics.h"

namespace ui {

namespace {

constexpr const char* kRegularPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr const char* kBoldPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
// The unit's 8-point system font is 11 pixels high on its screen.
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
