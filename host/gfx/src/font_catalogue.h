// The fonts fontconfig knows, and the file of one face among them.
// fontconfig's best match is always some font: a match is taken only when
// it is the face asked for and its file is there.
#pragma once

#include <fontconfig/fontconfig.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/result.h"
#include "ui/graphics.h"

namespace ui::gfx {

class FontCatalogue {
  public:
    // The system's fonts, as its fontconfig configuration lists them.
    static platform::Result<FontCatalogue> System();
    // Only these font files, without the system's configuration.
    static platform::Result<FontCatalogue> Of(const std::vector<std::string>& files);

    // The file of the upright face of this family and weight; the reason
    // when fontconfig's best match is another face or its file cannot be
    // read.
    [[nodiscard]] platform::Result<std::string> Find(const std::string& family,
                                                     FontWeight weight) const;

  private:
    struct ConfigDeleter {
        void operator()(FcConfig* config) const { FcConfigDestroy(config); }
    };
    using Config = std::unique_ptr<FcConfig, ConfigDeleter>;
    explicit FontCatalogue(Config config) : config_(std::move(config)) {}

    Config config_;
};

}  // namespace ui::gfx
