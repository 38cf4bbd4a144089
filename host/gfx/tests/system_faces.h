// Whether the host has the system font's faces, looked up as the program
// looks them up.
#pragma once

#include <optional>
#include <string>

#include "font_catalogue.h"
#include "system_face.h"

namespace ui::testing_support {

// The files of the regular and the bold face (fonts-dejavu-extra).
struct SystemFaceFiles {
    std::string regular;
    std::string bold;
};

inline std::optional<SystemFaceFiles> FindSystemFaces() {
    const auto fonts = gfx::FontCatalogue::System();
    if (!fonts) {
        return std::nullopt;
    }
    auto regular = fonts->Find(gfx::kSystemFamily, FontWeight::Normal);
    auto bold = fonts->Find(gfx::kSystemFamily, FontWeight::Bold);
    if (!regular || !bold) {
        return std::nullopt;
    }
    return SystemFaceFiles{*regular, *bold};
}

inline bool HaveSystemFaces() {
    return FindSystemFaces().has_value();
}

}  // namespace ui::testing_support
