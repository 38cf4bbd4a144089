#include "pc_path.h"

#include <algorithm>
#include <array>

namespace win32 {

namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Lower(x) == Lower(y); });
}

// Win32 opens these as devices in any folder, whatever follows a dot.
bool IsDosDeviceName(std::string_view component) {
    std::string_view base = component.substr(0, component.find('.'));
    while (!base.empty() && base.back() == ' ') {
        base.remove_suffix(1);
    }
    constexpr std::array<std::string_view, 6> kFixed = {"con", "prn",    "aux",
                                                        "nul", "conin$", "conout$"};
    if (std::any_of(kFixed.begin(), kFixed.end(),
                    [&](std::string_view name) { return EqualsNoCase(base, name); })) {
        return true;
    }
    if (base.size() == 4 &&
        (EqualsNoCase(base.substr(0, 3), "com") || EqualsNoCase(base.substr(0, 3), "lpt"))) {
        const char digit = base[3];
        return digit >= '0' && digit <= '9';
    }
    return false;
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
        } else if (pi < p.size() && p[pi] == '?') {
            // '?' takes one whole UTF-8 character.
            ++ni;
            while (ni < n.size() && (static_cast<unsigned char>(n[ni]) & 0xC0) == 0x80) {
                ++ni;
            }
            ++pi;
        } else if (pi < p.size() && Lower(p[pi]) == Lower(n[ni])) {
            ++ni;
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

std::optional<std::string> RelativePcPath(std::string_view unitPath, PathUse use) {
    if (unitPath.empty() || unitPath.front() != '\\') {
        return std::nullopt;
    }
    unitPath.remove_prefix(1);
    std::string out;
    if (unitPath.empty()) {
        return out;
    }
    bool trailing = false;
    if (unitPath.back() == '\\') {
        trailing = true;
        unitPath.remove_suffix(1);
    }
    for (const char c : unitPath) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || c == '/' || c == ':' || c == '<' || c == '>' || c == '"' || c == '|') {
            return std::nullopt;
        }
    }
    const std::size_t lastSeparator = unitPath.rfind('\\');
    const std::size_t lastStart = lastSeparator == std::string_view::npos ? 0 : lastSeparator + 1;
    std::size_t start = 0;
    while (start <= unitPath.size()) {
        const std::size_t end = std::min(unitPath.find('\\', start), unitPath.size());
        const std::string_view part = unitPath.substr(start, end - start);
        const bool wildcard = part.find_first_of("*?") != std::string_view::npos;
        if (part.empty() || part == "." || part == ".." || IsDosDeviceName(part) ||
            (wildcard && (use != PathUse::Pattern || start != lastStart || trailing))) {
            return std::nullopt;
        }
        start = end + 1;
    }
    out = std::string(unitPath);
    if (trailing) {
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

bool UnitWildcardMatch(std::string_view pattern, std::string_view name) {
    if (Matches(pattern, name)) {
        return true;
    }
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
        name.find('.') == std::string_view::npos) {
        return Matches(pattern.substr(0, pattern.size() - 2), name);
    }
    return false;
}

bool NameLess(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Lower(x) < Lower(y); });
}

}  // namespace win32
