// How the host chooses the face of the unit's system font.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "font_catalogue.h"
#include "platform/result.h"
#include "ui/graphics.h"

namespace ui::gfx {

// DejaVu Sans Condensed at 11 pixels keeps DejaVu Sans's heights (ascent 11,
// descent 3, line 13) and comes within a few per cent of the unit's Tahoma
// widths; DejaVu Sans itself is a tenth wider and clips captions the unit
// fits exactly.
inline constexpr const char* kSystemFamily = "DejaVu Sans Condensed";
inline constexpr int kSystemPixelSize = 11;

// The catalogue to look the family up in, made only when needed; null with
// the reason when there is none.
using CatalogueSource = std::function<platform::Result<const FontCatalogue*>()>;

// The face at a weight: the file named by hand (KESTRIN_FONT; null or empty
// for none) when FreeType opens it, for both weights; otherwise the family
// at that weight as the catalogue finds it. A file named by hand that cannot
// be used leaves its reason in *byHandError. The reason when there is no
// face; it names both weights when neither is there.
platform::Result<std::unique_ptr<Font>> ChooseSystemFace(FontWeight weight, const char* byHand,
                                                         const CatalogueSource& catalogue,
                                                         std::string* byHandError);

}  // namespace ui::gfx
