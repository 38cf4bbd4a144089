#include "xml_text.h"

#include <cstdint>

namespace program::detail {

namespace {

// The length of the valid UTF-8 sequence at text[at] of a character XML may
// hold; 0 when there is none (a stray or overlong byte, a surrogate, beyond
// U+10FFFF, U+FFFE or U+FFFF, or cut short).
std::size_t ValidSequence(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) {
        return at + i < text.size() ? static_cast<std::uint8_t>(text[at + i]) : 0U;
    };
    const auto tail = [&](std::size_t i) { return (byte(i) & 0xC0U) == 0x80U; };
    const unsigned lead = byte(0);
    if (lead < 0x80U) {
        return 1;
    }
    if (lead >= 0xC2U && lead <= 0xDFU) {
        return tail(1) ? 2 : 0;
    }
    if (lead >= 0xE0U && lead <= 0xEFU) {
        const unsigned second = byte(1);
        const bool inRange = (lead == 0xE0U && second >= 0xA0U) ||
                             (lead == 0xEDU && second <= 0x9FU) || (lead != 0xE0U && lead != 0xEDU);
        if (!tail(1) || !tail(2) || !inRange) {
            return 0;
        }
        const bool nonCharacter = lead == 0xEFU && second == 0xBFU && byte(2) >= 0xBEU;
        return nonCharacter ? 0 : 3;
    }
    if (lead >= 0xF0U && lead <= 0xF4U) {
        const unsigned second = byte(1);
        const bool inRange = (lead == 0xF0U && second >= 0x90U) ||
                             (lead == 0xF4U && second <= 0x8FU) || (lead != 0xF0U && lead != 0xF4U);
        return tail(1) && tail(2) && tail(3) && inRange ? 4 : 0;
    }
    return 0;
}

void AppendHex(std::string* out, std::uint8_t byte) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    *out += "\\x";
    *out += kDigits[byte >> 4U];
    *out += kDigits[byte & 0xFU];
}

}  // namespace

std::string XmlText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const char ch = text[i];
        const std::size_t length = ValidSequence(text, i);
        if (length > 1) {
            out.append(text.substr(i, length));
            i += length;
            continue;
        }
        ++i;
        switch (ch) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            case '\t':
            case '\n':
                out += ch;
                break;
            case '\r':
                out += "&#13;";
                break;
            default:
                if (length == 1 && static_cast<std::uint8_t>(ch) >= 0x20U &&
                    static_cast<std::uint8_t>(ch) != 0x7FU) {
                    out += ch;
                } else {
                    AppendHex(&out, static_cast<std::uint8_t>(ch));
                }
        }
    }
    return out;
}

}  // namespace program::detail
