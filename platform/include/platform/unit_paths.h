// The unit's paths and names, which both backends read the same way: paths
// are backslash-separated and rooted ("\Mounted Volume\Vesk\x.map"), names
// compare without regard to ASCII case (case-preserving), and
// FindFirstFile's wildcards match as the unit's system matches them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct SplitPath {
    std::vector<std::string> components;  // empty for the root
    bool trailingSeparator = false;
};

// Splits "\Mounted Volume\Vesk\x.map" into its components. nullopt for
// anything that could leave the unit's root or is not a plain name: "." and
// ".." components, empty components ("\\"), forward slashes, drive letters
// and other colons, control characters, and the characters <>"|. Wildcards
// '*' and '?' are accepted only when allowWildcards is set (the caller
// checks where they stand).
std::optional<SplitPath> SplitUnitPath(std::string_view path, bool allowWildcards);

bool EqualsNoCase(std::string_view a, std::string_view b);
// Case-insensitive byte order: how the unit lists names.
bool LessNoCase(std::string_view a, std::string_view b);
std::string LowerAscii(std::string_view text);

// Whether a name matches a FindFirstFile pattern: '*' is any run of
// characters, '?' exactly one (a whole UTF-8 character), without regard to
// case; a pattern ending in ".*" also matches the name without any extension
// ("*.*" matches "README"). Only the long name counts: the unit has no 8.3
// short names.
bool WildcardMatch(std::string_view pattern, std::string_view name);

}  // namespace platform
