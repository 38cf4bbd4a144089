// UTF-8, the system's text: decoding for whatever reads text by characters,
// encoding for whatever makes text of code points. Malformed bytes never stop
// the text: each maximal ill-formed piece decodes as one U+FFFD.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform::utf8 {

inline constexpr char32_t kReplacement = 0xFFFD;

// Decodes the code point at text[pos] (pos < text.size()) and moves pos past
// it, by at least one byte.
char32_t Next(std::string_view text, std::size_t& pos);

// Appends cp in UTF-8; code points past U+10FFFF are left out.
void Append(std::string& out, char32_t cp);

}  // namespace platform::utf8
