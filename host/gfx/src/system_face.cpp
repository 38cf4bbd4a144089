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

std::unique_ptr<Font> ChooseSystemFace(FontWeight weight, const char* byHand,
                                       const CatalogueSource& catalogue, std::string* byHandError,
                                       std::string* error) {
    if (byHand != nullptr && *byHand != '\0') {
        std::string why;
        if (auto face = FreeTypeFont::Open(byHand, kSystemPixelSize, &why)) {
            return face;
        }
        if (byHandError != nullptr) {
            *byHandError = why;
        }
    }
    std::string why;
    const FontCatalogue* fonts = catalogue(&why);
    std::optional<std::string> file;
    if (fonts != nullptr) {
        file = fonts->Find(kSystemFamily, weight, &why);
    }
    if (file) {
        if (auto face = FreeTypeFont::Open(*file, kSystemPixelSize, &why)) {
            return face;
        }
    }
    if (error != nullptr) {
        // Said once for the run: when the other weight is missing too, the
        // one line names both faces the program looks for.
        const FontWeight other = weight == FontWeight::Bold ? FontWeight::Normal : FontWeight::Bold;
        if (fonts == nullptr || !fonts->Find(kSystemFamily, other, nullptr)) {
            why = std::string("found neither ") + kSystemFamily + " nor " + kSystemFamily +
                  " Bold (" + why + ")";
        }
        *error = why;
    }
    return nullptr;
}

platform::Result<std::unique_ptr<Font>> OpenSystemFace(FontWeight weight) {
    // Loaded once, and only when a face is looked up: reading fontconfig's
    // configuration takes about 9 ms of CPU.
    const CatalogueSource system = [](std::string* why) -> const FontCatalogue* {
        static std::string loadError;
        static const std::optional<FontCatalogue> fonts = FontCatalogue::System(&loadError);
        if (!fonts) {
            *why = loadError;
            return nullptr;
        }
        return &*fonts;
    };
    const char* byHand = std::getenv("KESTRIN_FONT");
    std::string byHandError;
    std::string error;
    std::unique_ptr<Font> face = ChooseSystemFace(weight, byHand, system, &byHandError, &error);
    static std::atomic<bool> told{false};
    if (!byHandError.empty() && !told.exchange(true)) {
        static_cast<void>(std::fprintf(stderr, "kestrin: KESTRIN_FONT: %s; looking up %s instead\n",
                                       byHandError.c_str(), kSystemFamily));
    }
    if (face == nullptr) {
        return platform::Fail(std::move(error));
    }
    return face;
}

}  // namespace ui::gfx
