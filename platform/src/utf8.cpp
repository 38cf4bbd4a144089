#include "platform/utf8.h"

namespace platform::utf8 {

char32_t Next(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    // Length and the range allowed for the second byte, which rules out
    // overlong forms, surrogates and values past U+10FFFF.
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    char32_t value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1FU;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0FU;
        if (lead == 0xE0) {
            low = 0xA0;
        } else if (lead == 0xED) {
            high = 0x9F;
        }
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07U;
        if (lead == 0xF0) {
            low = 0x90;
        } else if (lead == 0xF4) {
            high = 0x8F;
        }
    } else {
        ++pos;
        return kReplacement;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (pos + i >= text.size()) {
            pos += i;
            return kReplacement;
        }
        const auto byte = static_cast<unsigned char>(text[pos + i]);
        if (byte < low || byte > high) {
            pos += i;
            return kReplacement;
        }
        value = (value << 6U) | (byte & 0x3FU);
        low = 0x80;
        high = 0xBF;
    }
    pos += length;
    return value;
}

void Append(std::string& out, char32_t cp) {
    const auto byte = [&out](char32_t bits) { out.push_back(static_cast<char>(bits)); };
    if (cp < 0x80) {
        byte(cp);
    } else if (cp < 0x800) {
        byte(0xC0 | (cp >> 6));
        byte(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        byte(0xE0 | (cp >> 12));
        byte(0x80 | ((cp >> 6) & 0x3F));
        byte(0x80 | (cp & 0x3F));
    } else if (cp < 0x110000) {
        byte(0xF0 | (cp >> 18));
        byte(0x80 | ((cp >> 12) & 0x3F));
        byte(0x80 | ((cp >> 6) & 0x3F));
        byte(0x80 | (cp & 0x3F));
    }
}

}  // namespace platform::utf8
