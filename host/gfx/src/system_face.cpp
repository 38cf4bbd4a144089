// The system face of the host build: a face file through FreeType, found by
// fontconfig or named by hand in KESTRIN_FONT.
#include "system_face.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

#include "freetype_font.h"
#include "ui/gfx_backend.h"

namespace ui::gfx {

platform::Result<std::unique_ptr<Font>> ChooseSystemFace(FontWeight weight, const char* byHand,
                                                         const CatalogueSource& catalogue,
                                                         std::string* byHandError) {
    if (byHand != nullptr && *byHand != '\0') {
        platform::Result<std::unique_ptr<FreeTypeFont>> face =
            FreeTypeFont::Open(byHand, kSystemPixelSize);
        if (face) {
            return std::unique_ptr<Font>(std::move(*face));
        }
        if (byHandError != nullptr) {
            *byHandError = face.error();
        }
    }
    std::string why;
    const platform::Result<const FontCatalogue*> fonts = catalogue();
    if (!fonts) {
        why = fonts.error();
    } else if (const platform::Result<std::string> file = (*fonts)->Find(kSystemFamily, weight);
               !file) {
        why = file.error();
    } else {
        platform::Result<std::unique_ptr<FreeTypeFont>> face =
            FreeTypeFont::Open(*file, kSystemPixelSize);
        if (face) {
            return std::unique_ptr<Font>(std::move(*face));
        }
        why = face.error();
    }
    // Said once for the run: when the other weight is missing too, the one
    // line names both faces the program looks for.
    const FontWeight other = weight == FontWeight::Bold ? FontWeight::Normal : FontWeight::Bold;
    if (!fonts || !(*fonts)->Find(kSystemFamily, other)) {
        why = std::string("found neither ") + kSystemFamily + " nor " + kSystemFamily + " Bold (" +
              why + ")";
    }
    return platform::Fail(std::move(why));
}

platform::Result<std::unique_ptr<Font>> OpenSystemFace(FontWeight weight) {
    // Loaded once, and only when a face is looked up: reading fontconfig's
    // configuration takes about 9 ms of CPU.
    const CatalogueSource system = []() -> platform::Result<const FontCatalogue*> {
        static const platform::Result<FontCatalogue> fonts = FontCatalogue::System();
        if (!fonts) {
            return platform::Fail(fonts.error());
        }
        return &*fonts;
    };
    const char* byHand = std::getenv("KESTRIN_FONT");
    std::string byHandError;
    platform::Result<std::unique_ptr<Font>> face =
        ChooseSystemFace(weight, byHand, system, &byHandError);
    static std::atomic<bool> told{false};
    if (!byHandError.empty() && !told.exchange(true)) {
        static_cast<void>(std::fprintf(stderr, "kestrin: KESTRIN_FONT: %s; looking up %s instead\n",
                                       byHandError.c_str(), kSystemFamily));
    }
    return face;
}

}  // namespace ui::gfx
