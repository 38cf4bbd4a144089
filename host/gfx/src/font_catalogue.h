// The fonts fontconfig knows, and the file of one face among them.
// fontconfig's best match is always some font: a match is taken only when
// it is the face asked for and its file is there.
#pragma once

#include <fontconfig/fontconfig.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/graphics.h"

namespace ui::gfx {

class FontCatalogue {
  public:
    // The system's fonts, as its fontconfig configuration lists them.
    static std::optional<FontCatalogue> System(std::string* error);
    // Only these font files, without the system's configuration.
    static std::optional<FontCatalogue> Of(const std::vector<std::string>& files,
                                           std::string* error);

    // The file of the upright face of this family and weight; nullopt, with
    // the reason in *why, when fontconfig's best match is another face or
    // its file cannot be read.
    [[nodiscard]] std::optional<std::string> Find(const std::string& family, FontWeight weight,
                                                  std::string* why) const;

  private:
    struct ConfigDeleter {
        void operator()(FcConfig* config) const { FcConfigDestroy(config); }
    };
    using Config = std::unique_ptr<FcConfig, ConfigDeleter>;
    explicit FontCatalogue(Config config) : config_(std::move(config)) {}

    Config config_;
};

}  // namespace ui::gfx
