// Unit paths: backslash-separated, rooted at the unit's fs/ directory,
// compared without regard to ASCII case.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace unit {

struct SplitPath {
    std::vector<std::string> components;  // empty for the root
    bool trailingSeparator = false;
};

// Splits "\Mounted Volume\Vesk\x.map" into its components. nullopt for
// anything that could leave fs/ or is not a plain name: "." and ".."
// components, empty components ("\\"), forward slashes, drive letters and
// other colons, control characters, and the characters <>"|. Wildcards
// '*' and '?' are accepted only when allowWildcards is set (the caller
// checks where they stand).
std::optional<SplitPath> SplitUnitPath(std::string_view path, bool allowWildcards);

bool EqualsNoCase(std::string_view a, std::string_view b);
bool LessNoCase(std::string_view a, std::string_view b);
std::string LowerAscii(std::string_view text);

// Whether a name matches a FindFirstFile pattern: '*' is any run of
// characters, '?' exactly one, without regard to case; a pattern ending in
// ".*" also matches the name without any extension ("*.*" matches "README").
bool WildcardMatch(std::string_view pattern, std::string_view name);

}  // namespace unit
