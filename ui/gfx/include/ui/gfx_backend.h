// What the platform gives the framework's drawing: the face of the unit's
// system font and PNG files. ui_gfx declares these; the backend's gfx
// library defines them (host_gfx: FreeType, fontconfig and libpng; win32_gfx:
// GDI and the Windows Imaging Component) and names itself
// kestrin::gfx_backend, which every program linking ui_gfx links after it.
// Besides OpenSystemFace the backend defines ui::WritePng and ui::ReadPng
// (ui/graphics.h).
#pragma once

#include <memory>

#include "platform/result.h"
#include "ui/graphics.h"

namespace ui::gfx {

// The face the unit's 8-point system font stands for at a weight, 11 pixels
// high; the reason when the platform has none (the framework then says so
// once and draws boxes). Called once per weight.
platform::Result<std::unique_ptr<Font>> OpenSystemFace(FontWeight weight);

}  // namespace ui::gfx
