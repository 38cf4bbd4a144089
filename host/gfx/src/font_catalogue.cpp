#include "font_catalogue.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ui::gfx {

namespace {

struct PatternDeleter {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

const FcChar8* Chars(const std::string& text) {
    return reinterpret_cast<const FcChar8*>(text.c_str());
}

std::string Text(const FcPattern* pattern, const char* object) {
    FcChar8* value = nullptr;
    if (FcPatternGetString(pattern, object, 0, &value) != FcResultMatch || value == nullptr) {
        return {};
    }
    return reinterpret_cast<const char*>(value);
}

bool IsBold(const FcPattern* pattern) {
    int weight = FC_WEIGHT_REGULAR;
    static_cast<void>(FcPatternGetInteger(pattern, FC_WEIGHT, 0, &weight));
    return weight >= FC_WEIGHT_DEMIBOLD;
}

bool IsUpright(const FcPattern* pattern) {
    int slant = FC_SLANT_ROMAN;
    static_cast<void>(FcPatternGetInteger(pattern, FC_SLANT, 0, &slant));
    return slant == FC_SLANT_ROMAN;
}

bool HasFamily(const FcPattern* pattern, const std::string& family) {
    FcChar8* name = nullptr;
    for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
        if (FcStrCmpIgnoreCase(name, Chars(family)) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

platform::Result<FontCatalogue> FontCatalogue::System() {
    Config config(FcInitLoadConfigAndFonts());
    if (!config) {
        return platform::Fail("fontconfig could not load its configuration");
    }
    return FontCatalogue(std::move(config));
}

platform::Result<FontCatalogue> FontCatalogue::Of(const std::vector<std::string>& files) {
    Config config(FcConfigCreate());
    for (const std::string& file : files) {
        if (!config || FcConfigAppFontAddFile(config.get(), Chars(file)) == FcFalse) {
            return platform::Fail(file + ": fontconfig cannot read it");
        }
    }
    return FontCatalogue(std::move(config));
}

platform::Result<std::string> FontCatalogue::Find(const std::string& family,
                                                  FontWeight weight) const {
    const bool bold = weight == FontWeight::Bold;
    const std::string wanted = family + (bold ? " Bold" : "");
    Pattern pattern(FcPatternCreate());
    if (!pattern) {
        return platform::Fail("fontconfig: out of memory");
    }
    FcPatternAddString(pattern.get(), FC_FAMILY, Chars(family));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern.get(), FC_SLANT, FC_SLANT_ROMAN);
    FcConfigSubstitute(config_.get(), pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    const Pattern match(FcFontMatch(config_.get(), pattern.get(), &result));
    if (!match) {
        return platform::Fail("fontconfig knows no font, so no " + wanted);
    }
    const std::string file = Text(match.get(), FC_FILE);
    if (!HasFamily(match.get(), family) || IsBold(match.get()) != bold || !IsUpright(match.get())) {
        return platform::Fail("no " + wanted + " among the fonts (fontconfig's nearest: " +
                              Text(match.get(), FC_FAMILY) + " " + Text(match.get(), FC_STYLE) +
                              ", " + file + ")");
    }
    if (file.empty()) {
        return platform::Fail(wanted + ": fontconfig names no file");
    }
    // The catalogue may be older than the files it lists.
    if (::access(file.c_str(), R_OK) != 0) {
        return platform::Fail(wanted + ": " + file + ": " + std::strerror(errno));
    }
    return file;
}

}  // namespace ui::gfx
