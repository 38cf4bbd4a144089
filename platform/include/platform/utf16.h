// UTF-16, the wide strings of the Win32 API, to and from the system's UTF-8.
// A std::wstring here holds UTF-16 code units whatever the width of wchar_t,
// so the conversions are the same, and tested, on every host.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform::utf16 {

// Nothing for text that is not well-formed UTF-8: a name cannot be made of it.
std::optional<std::wstring> FromUtf8(std::string_view utf8);
// Text to show: each ill-formed piece becomes one U+FFFD.
std::wstring FromUtf8Lossy(std::string_view utf8);
// Unpaired surrogates become U+FFFD.
std::string ToUtf8(std::wstring_view utf16);

// Appends cp as one unit or a surrogate pair; code points past U+10FFFF are
// left out.
void Append(std::wstring& out, char32_t cp);

}  // namespace platform::utf16
