#include "platform/text.h"

#include <array>
#include <cstdint>
#include <cstdio>

#include "platform/utf8.h"

namespace platform {

std::string FormatV(const char* format, std::va_list args) {
    std::array<char, 256> small{};
    std::va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(small.data(), small.size(), format, copy);
    va_end(copy);
    if (needed < 0) {
        return {};
    }
    const auto length = static_cast<std::size_t>(needed);
    if (length < small.size()) {
        return {small.data(), length};
    }
    std::string out(length + 1, '\0');
    static_cast<void>(std::vsnprintf(out.data(), out.size(), format, args));
    out.resize(length);
    return out;
}

std::string Format(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::string out = FormatV(format, args);
    va_end(args);
    return out;
}

namespace {

// Windows-1252 0x80..0x9F; 0 marks the five undefined positions, which the
// target's converter maps to the same code point.
constexpr std::array<std::uint16_t, 32> kCp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

std::string WidenCodePage(const void* bytes, std::size_t maxBytes) {
    std::string out;
    const auto* p = static_cast<const unsigned char*>(bytes);
    for (std::size_t i = 0; i < maxBytes && p[i] != 0; ++i) {
        char32_t cp = p[i];
        if (cp >= 0x80 && cp < 0xA0 && kCp1252High[cp - 0x80] != 0) {
            cp = kCp1252High[cp - 0x80];
        }
        utf8::Append(out, cp);
    }
    return out;
}

std::size_t WideLength(std::string_view utf8) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        std::size_t len = 1;
        if (lead >= 0xF0) {
            len = 4;
        } else if (lead >= 0xE0) {
            len = 3;
        } else if (lead >= 0xC0) {
            len = 2;
        }
        units += (len == 4) ? 2 : 1;
        i += len;
    }
    return units;
}

std::string_view Trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && blank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

}  // namespace platform
