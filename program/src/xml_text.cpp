#include "xml_text.h"

#include <cstdint>

#include "program/suite.h"
#include "script/utf8_path.h"

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

// A character shown by its bytes: a C1 control (U+0080 to U+009F) or one
// that reorders the text around it (embeddings and overrides U+202A to
// U+202E, isolates U+2066 to U+2069).
bool HiddenCharacter(std::string_view text, std::size_t at, std::size_t length) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[at + i]); };
    if (length == 2) {
        return byte(0) == 0xC2U && byte(1) < 0xA0U;
    }
    if (length == 3 && byte(0) == 0xE2U) {
        return (byte(1) == 0x80U && byte(2) >= 0xAAU && byte(2) <= 0xAEU) ||
               (byte(1) == 0x81U && byte(2) >= 0xA6U && byte(2) <= 0xA9U);
    }
    return false;
}

void AppendHex(std::string* out, std::uint8_t byte) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    *out += "\\x";
    *out += kDigits[byte >> 4U];
    *out += kDigits[byte & 0xFU];
}

enum class For { Element, Attribute, Terminal };

std::string Escaped(std::string_view text, For use) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const char ch = text[i];
        const std::size_t length = ValidSequence(text, i);
        if (length > 1) {
            if (HiddenCharacter(text, i, length)) {
                for (std::size_t b = 0; b < length; ++b) {
                    AppendHex(&out, static_cast<std::uint8_t>(text[i + b]));
                }
            } else {
                out.append(text.substr(i, length));
            }
            i += length;
            continue;
        }
        ++i;
        const bool markup = use != For::Terminal;
        switch (ch) {
            case '&':
                out += markup ? "&amp;" : "&";
                continue;
            case '<':
                out += markup ? "&lt;" : "<";
                continue;
            case '>':
                out += markup ? "&gt;" : ">";
                continue;
            case '"':
                out += markup ? "&quot;" : "\"";
                continue;
            case '\'':
                out += markup ? "&#39;" : "'";
                continue;
            case '\t':
                out += use == For::Element ? "\t" : use == For::Attribute ? "&#9;" : "\\x09";
                continue;
            case '\n':
                out += use == For::Element ? "\n" : use == For::Attribute ? "&#10;" : "\\x0A";
                continue;
            case '\r':
                out += use == For::Terminal ? "\\x0D" : "&#13;";
                continue;
            default:
                break;
        }
        if (length == 1 && static_cast<std::uint8_t>(ch) >= 0x20U &&
            static_cast<std::uint8_t>(ch) != 0x7FU) {
            out += ch;
        } else {
            AppendHex(&out, static_cast<std::uint8_t>(ch));
        }
    }
    return out;
}

}  // namespace

std::string XmlText(std::string_view text) {
    return Escaped(text, For::Element);
}

std::string XmlAttribute(std::string_view text) {
    return Escaped(text, For::Attribute);
}

std::string Shown(std::string_view text) {
    return Escaped(text, For::Terminal);
}

}  // namespace program::detail

namespace program {

std::string ShownName(const std::filesystem::path& file) {
    return detail::Shown(script::Utf8FromPath(file));
}

}  // namespace program
