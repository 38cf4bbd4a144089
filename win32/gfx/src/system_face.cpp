// The system face of the Windows build: the platform's own Tahoma through
// GDI. The unit's system font is Tahoma 8 pt, which its screen shows 11
// pixels high; the framebuffer is the unit's screen, not the PC's, so the
// size is fixed in pixels and does not follow the PC's DPI setting.
#include <string>
#include <utility>

#include "gdi_font.h"
#include "ui/gfx_backend.h"

namespace ui::gfx {

namespace {

constexpr const char* kSystemFace = "Tahoma";
constexpr int kSystemPixelSize = 11;

}  // namespace

platform::Result<std::unique_ptr<Font>> OpenSystemFace(FontWeight weight) {
    auto opened = GdiFont::Open(kSystemFace, kSystemPixelSize, weight);
    if (!opened) {
        return platform::Fail(opened.error());
    }
    return std::unique_ptr<Font>(std::move(*opened));
}

}  // namespace ui::gfx
