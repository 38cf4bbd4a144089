// Text helpers. Internal text is UTF-8; single-byte text from devices and
// files is widened through the unit's code page (Windows-1252).
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// printf-style formatting into a string, checked by the compiler.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatV(const char* format, std::va_list args) __attribute__((format(printf, 1, 0)));

// Widens at most maxBytes single-byte characters, stopping at the first zero
// byte, from Windows-1252 to UTF-8. Never reads past maxBytes.
std::string WidenCodePage(const void* bytes, std::size_t maxBytes);

// The length of a UTF-8 string in wide (UTF-16) characters, as the target
// counts it in its fixed character buffers.
std::size_t WideLength(std::string_view utf8);

// A line without the blanks (spaces, tabs) and carriage returns at its ends.
std::string_view Trim(std::string_view s);

}  // namespace platform
