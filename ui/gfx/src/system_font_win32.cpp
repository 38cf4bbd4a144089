// The system fonts of the Windows build: the platform's own Tahoma through
// GDI. The unit's system font is Tahoma 8 pt, which its screen shows 11
// pixels high; the framebuffer is the unit's screen, not the PC's, so the
// size is fixed in pixels and does not follow the PC's DPI setting.
#include <atomic>
#include <cstdio>

#include "box_font.h"
#include "gdi_font.h"
#include "ui/graphics.h"

namespace ui {

namespace {

constexpr const char* kSystemFace = "Tahoma";
constexpr int kSystemPixelSize = 11;

std::unique_ptr<Font> Open(FontWeight weight) {
    std::string error;
    if (auto font = detail::GdiFont::Open(kSystemFace, kSystemPixelSize, weight, &error)) {
        return font;
    }
    static std::atomic<bool> told{false};
    if (!told.exchange(true)) {
        static_cast<void>(
            std::fprintf(stderr, "kestrin: %s; text is drawn as boxes\n", error.c_str()));
    }
    return std::make_unique<detail::BoxFont>(kSystemPixelSize);
}

}  // namespace

Font& Font::System(FontWeight weight) {
    if (weight == FontWeight::Bold) {
        static const std::unique_ptr<Font> bold = Open(FontWeight::Bold);
        return *bold;
    }
    static const std::unique_ptr<Font> regular = Open(FontWeight::Normal);
    return *regular;
}

}  // namespace ui
