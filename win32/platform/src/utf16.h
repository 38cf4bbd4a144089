// The one crossing between the system's UTF-8 and the Win32 API's UTF-16.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace win32 {

// nullopt when the text is not valid UTF-8 (a Win32 name cannot be made of it).
std::optional<std::wstring> Widen(std::string_view utf8);
// Unpaired surrogates become U+FFFD.
std::string Narrow(std::wstring_view utf16);

}  // namespace win32
