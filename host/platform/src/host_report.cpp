#include "host/unit/host_report.h"

#include <cstdio>
#include <string>

namespace host::unit {

namespace {

// The length of the well-formed UTF-8 sequence at the start of s, or 0.
std::size_t Utf8Length(std::string_view s) {
    const auto at = [&s](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = at(0);
    std::size_t length = 0;
    unsigned char low = 0x80;   // the second byte's range, narrowed against
    unsigned char high = 0xBF;  // overlong forms, surrogates and > U+10FFFF
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (s.size() < length || at(1) < low || at(1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (at(i) < 0x80 || at(i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

void AppendHex(std::string& out, unsigned char c) {
    constexpr const char* kDigits = "0123456789ABCDEF";
    out += "\\x";
    out += kDigits[c >> 4];
    out += kDigits[c & 0x0F];
}

}  // namespace

std::string EscapeControls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const auto c = static_cast<unsigned char>(text.front());
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
            text.remove_prefix(1);
            continue;
        }
        if (c == '\t' || c == '\r' || c == '\n') {
            out += c == '\t' ? "\\t" : c == '\r' ? "\\r" : "\\n";
            text.remove_prefix(1);
            continue;
        }
        const std::size_t length = c >= 0x80 ? Utf8Length(text) : 0;
        // U+0080..U+009F, the C1 controls, are C2 80..C2 9F.
        const bool control = length == 2 && c == 0xC2 && static_cast<unsigned char>(text[1]) < 0xA0;
        if (length == 0 || control) {
            const std::size_t bytes = length == 0 ? 1 : length;
            for (std::size_t i = 0; i < bytes; ++i) {
                AppendHex(out, static_cast<unsigned char>(text[i]));
            }
            text.remove_prefix(bytes);
            continue;
        }
        out.append(text.substr(0, length));
        text.remove_prefix(length);
    }
    return out;
}

void ReportOnStderr(std::string_view line) {
    const std::string shown = EscapeControls(line) + '\n';
    static_cast<void>(std::fwrite(shown.data(), 1, shown.size(), stderr));
}

}  // namespace host::unit
