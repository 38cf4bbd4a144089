#include "platform/utf16.h"

#include "platform/utf8.h"

namespace platform::utf16 {

namespace {

constexpr char32_t kHighFirst = 0xD800;
constexpr char32_t kLowFirst = 0xDC00;
constexpr char32_t kLowLast = 0xDFFF;
// U+FFFD written as itself, not standing for an ill-formed piece.
constexpr std::string_view kReplacementBytes = "\xEF\xBF\xBD";

bool IsHigh(char32_t u) {
    return u >= kHighFirst && u < kLowFirst;
}
bool IsLow(char32_t u) {
    return u >= kLowFirst && u <= kLowLast;
}

// Decodes text into out; false at the first ill-formed piece when strict.
bool Convert(std::string_view utf8, bool strict, std::wstring& out) {
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        const std::size_t start = pos;
        const char32_t cp = utf8::Next(utf8, pos);
        if (strict && cp == utf8::kReplacement &&
            utf8.substr(start, pos - start) != kReplacementBytes) {
            return false;
        }
        Append(out, cp);
    }
    return true;
}

}  // namespace

std::optional<std::wstring> FromUtf8(std::string_view utf8) {
    std::wstring out;
    if (!Convert(utf8, true, out)) {
        return std::nullopt;
    }
    return out;
}

std::wstring FromUtf8Lossy(std::string_view utf8) {
    std::wstring out;
    Convert(utf8, false, out);
    return out;
}

std::string ToUtf8(std::wstring_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const auto unit = static_cast<char32_t>(utf16[i]) & 0xFFFFU;
        char32_t cp = unit;
        if (IsHigh(unit) && i + 1 < utf16.size() &&
            IsLow(static_cast<char32_t>(utf16[i + 1]) & 0xFFFFU)) {
            const char32_t low = static_cast<char32_t>(utf16[++i]) & 0xFFFFU;
            cp = 0x10000 + ((unit - kHighFirst) << 10) + (low - kLowFirst);
        } else if (IsHigh(unit) || IsLow(unit)) {
            cp = utf8::kReplacement;
        }
        utf8::Append(out, cp);
    }
    return out;
}

void Append(std::wstring& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<wchar_t>(cp));
    } else if (cp < 0x110000) {
        const char32_t v = cp - 0x10000;
        out.push_back(static_cast<wchar_t>(kHighFirst + (v >> 10)));
        out.push_back(static_cast<wchar_t>(kLowFirst + (v & 0x3FF)));
    }
}

}  // namespace platform::utf16
