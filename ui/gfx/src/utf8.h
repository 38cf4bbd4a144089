// UTF-8 decoding for text rendering. Malformed bytes never stop the text:
// each maximal ill-formed piece becomes one U+FFFD.
#pragma once

#include <cstddef>
#include <string_view>

namespace ui::utf8 {

inline constexpr char32_t kReplacement = 0xFFFD;

// Decodes the code point at text[pos] (pos < text.size()) and moves pos past
// it, by at least one byte.
char32_t Next(std::string_view text, std::size_t& pos);

}  // namespace ui::utf8
