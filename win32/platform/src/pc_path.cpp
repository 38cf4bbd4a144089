#include "pc_path.h"

#include <algorithm>
#include <array>
#include <vector>

#include "platform/unit_paths.h"

namespace win32::pc {

namespace {

// Win32 opens these as devices in any folder, whatever follows a dot.
bool IsDosDeviceName(std::string_view component) {
    std::string_view base = component.substr(0, component.find('.'));
    while (!base.empty() && base.back() == ' ') {
        base.remove_suffix(1);
    }
    constexpr std::array<std::string_view, 6> kFixed = {"con", "prn",    "aux",
                                                        "nul", "conin$", "conout$"};
    if (std::any_of(kFixed.begin(), kFixed.end(),
                    [&](std::string_view name) { return platform::EqualsNoCase(base, name); })) {
        return true;
    }
    if (base.size() < 4 || !(platform::EqualsNoCase(base.substr(0, 3), "com") ||
                             platform::EqualsNoCase(base.substr(0, 3), "lpt"))) {
        return false;
    }
    // A digit, or a superscript one, two or three (U+00B9, U+00B2, U+00B3),
    // which Win32 reads as 1, 2 and 3 here.
    const std::string_view number = base.substr(3);
    return (number.size() == 1 && number[0] >= '0' && number[0] <= '9') || number == "\xC2\xB9" ||
           number == "\xC2\xB2" || number == "\xC2\xB3";
}

}  // namespace

std::optional<std::string> RelativePcPath(std::string_view unitPath, PathUse use) {
    if (unitPath.empty() || unitPath.front() != '\\') {
        return std::nullopt;
    }
    const std::optional<platform::SplitPath> split =
        platform::SplitUnitPath(unitPath, use == PathUse::Pattern);
    if (!split) {
        return std::nullopt;
    }
    std::string out;
    const std::vector<std::string>& parts = split->components;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        // Wildcards stand only in a pattern's last component.
        const bool wildcard = parts[i].find_first_of("*?") != std::string::npos;
        if (IsDosDeviceName(parts[i]) ||
            (wildcard && (i + 1 != parts.size() || split->trailingSeparator))) {
            return std::nullopt;
        }
        out += (i == 0 ? "" : "\\") + parts[i];
    }
    if (split->trailingSeparator) {
        out.push_back('\\');
    }
    return out;
}

std::string JoinPcPath(std::string_view root, std::string_view relative) {
    std::string out(root);
    while (!out.empty() && (out.back() == '\\' || out.back() == '/')) {
        out.pop_back();
    }
    out.push_back('\\');
    out += relative;
    return out;
}

std::string_view PatternName(std::string_view pattern) {
    const std::size_t separator = pattern.rfind('\\');
    return separator == std::string_view::npos ? pattern : pattern.substr(separator + 1);
}

}  // namespace win32::pc
