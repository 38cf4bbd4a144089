// The command-line words both kestrin programs read the same way: the list
// of scripts after --script, and --scale's number.
#pragma once

#include <charconv>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace script {

// The words after --script (at *i) up to the next option, moving *i past
// them. False with the reason when there is none or one is empty.
inline bool TakeScriptNames(std::span<const std::string_view> arguments, std::size_t* i,
                            std::vector<std::string>* names, std::string* error) {
    const std::size_t before = names->size();
    while (*i + 1 < arguments.size() && !arguments[*i + 1].starts_with("--")) {
        if (arguments[*i + 1].empty()) {
            *error = "--script takes no empty name";
            return false;
        }
        names->emplace_back(arguments[++*i]);
    }
    if (names->size() == before) {
        *error = "--script needs a value";
        return false;
    }
    return true;
}

// --scale N: window pixels per screen pixel.
inline constexpr int kMinScale = 1;
inline constexpr int kMaxScale = 8;
inline std::optional<int> ParseScale(std::string_view text) {
    int scale = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), scale);
    if (ec != std::errc() || ptr != text.data() + text.size() || scale < kMinScale ||
        scale > kMaxScale) {
        return std::nullopt;
    }
    return scale;
}

// The number after --scale (at *i), moving *i past it. False with the
// reason when there is none or it is out of range.
inline bool TakeScale(std::span<const std::string_view> arguments, std::size_t* i, int* scale,
                      std::string* error) {
    if (*i + 1 >= arguments.size()) {
        *error = "--scale needs a value";
        return false;
    }
    const std::string_view n = arguments[++*i];
    const std::optional<int> parsed = ParseScale(n);
    if (!parsed) {
        *error = "--scale takes a whole number from 1 to 8, not \"" + std::string(n) + "\"";
        return false;
    }
    *scale = *parsed;
    return true;
}

}  // namespace script
