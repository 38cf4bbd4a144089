// The shared system fonts: the backend's face, or boxes of about the right
// advance when it has none, so that the program still runs and lays out.
#include <atomic>
#include <cstdio>
#include <memory>
#include <utility>

#include "box_font.h"
#include "ui/gfx_backend.h"
#include "ui/graphics.h"

namespace ui {

namespace {

// The unit's 8-point system font is 11 pixels high on its screen.
constexpr int kSystemPixelSize = 11;

std::unique_ptr<Font> Open(FontWeight weight) {
    platform::Result<std::unique_ptr<Font>> face = gfx::OpenSystemFace(weight);
    if (face) {
        return std::move(*face);
    }
    static std::atomic<bool> told{false};
    if (!told.exchange(true)) {
        static_cast<void>(
            std::fprintf(stderr, "kestrin: %s; text is drawn as boxes\n", face.error().c_str()));
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
