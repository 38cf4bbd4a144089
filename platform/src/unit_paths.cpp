#include "platform/unit_paths.h"

#include <algorithm>

namespace platform {

namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool Matches(std::string_view p, std::string_view n) {
    // Iterative glob with single-star backtracking.
    std::size_t pi = 0;
    std::size_t ni = 0;
    std::size_t star = std::string_view::npos;
    std::size_t mark = 0;
    while (ni < n.size()) {
        if (pi < p.size() && p[pi] == '*') {
            star = pi++;
            mark = ni;
        } else if (pi < p.size() && (p[pi] == '?' || Lower(p[pi]) == Lower(n[ni]))) {
            // '?' takes one whole UTF-8 character.
            if (p[pi] == '?') {
                ++ni;
                while (ni < n.size() && (static_cast<unsigned char>(n[ni]) & 0xC0) == 0x80) {
                    ++ni;
                }
            } else {
                ++ni;
            }
            ++pi;
        } else if (star != std::string_view::npos) {
            pi = star + 1;
            ni = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') {
        ++pi;
    }
    return pi == p.size();
}

}  // namespace

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), Lower);
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Lower(x) == Lower(y); });
}

bool LessNoCase(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Lower(x) < Lower(y); });
}

bool WildcardMatch(std::string_view pattern, std::string_view name) {
    if (Matches(pattern, name)) {
        return true;
    }
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
        name.find('.') == std::string_view::npos) {
        return Matches(pattern.substr(0, pattern.size() - 2), name);
    }
    return false;
}

std::optional<SplitPath> SplitUnitPath(std::string_view path, bool allowWildcards) {
    SplitPath out;
    if (path.empty()) {
        return std::nullopt;
    }
    if (path.front() == '\\') {
        path.remove_prefix(1);
    }
    if (path.empty()) {
        return out;  // the root
    }
    if (path.back() == '\\') {
        out.trailingSeparator = true;
        path.remove_suffix(1);
    }
    for (char c : path) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || c == '/' || c == ':' || c == '<' || c == '>' || c == '"' || c == '|' ||
            (!allowWildcards && (c == '*' || c == '?'))) {
            return std::nullopt;
        }
    }
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto end = std::min(path.find('\\', start), path.size());
        const std::string_view part = path.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") {
            return std::nullopt;
        }
        out.components.emplace_back(part);
        start = end + 1;
    }
    return out;
}

}  // namespace platform
