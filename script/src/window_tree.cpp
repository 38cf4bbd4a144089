#include "script/window_tree.h"

#include <cstdint>
#include <optional>

#include "ui/styles.h"

namespace script {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The code point at text[*at] and past it, or nullopt (and past one byte)
// where the bytes are not UTF-8: overlong, a surrogate, past U+10FFFF, cut.
std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t* at) {
    const auto lead = static_cast<unsigned char>(text[*at]);
    ++*at;
    if (lead < 0x80) {
        return lead;
    }
    // The bytes that follow a lead byte, its own bits, the least code point
    // of that length.
    struct Form {
        unsigned char mask, lead;
        int more;
        char32_t least;
    };
    static constexpr Form kForms[] = {
        {0xE0, 0xC0, 1, 0x80}, {0xF0, 0xE0, 2, 0x800}, {0xF8, 0xF0, 3, 0x10000}};
    const Form* form = nullptr;
    for (const Form& f : kForms) {
        if ((lead & f.mask) == f.lead) {
            form = &f;
        }
    }
    if (form == nullptr) {
        return std::nullopt;
    }
    const int more = form->more;
    const char32_t least = form->least;
    char32_t c = lead & static_cast<unsigned char>(~form->mask);
    std::size_t next = *at;
    for (int i = 0; i < more; ++i, ++next) {
        if (next >= text.size() || (static_cast<unsigned char>(text[next]) & 0xC0) != 0x80) {
            return std::nullopt;
        }
        c = (c << 6) | (static_cast<unsigned char>(text[next]) & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return std::nullopt;
    }
    *at = next;
    return c;
}

void AppendUnit(std::string* out, unsigned unit) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    *out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) {
        *out += kHex[(unit >> shift) & 0xFU];
    }
}

void AppendWindow(std::string* out, const ui::Desktop& desktop, ui::HWND hwnd, bool active,
                  int depth) {
    const std::optional<ui::WindowInfo> info = desktop.Describe(hwnd);
    if (!info) {
        return;
    }
    const std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
    const ui::Rect& r = info->screenRect;
    const char* checked = info->check < 0                    ? "null"
                          : info->check == ui::BST_UNCHECKED ? "false"
                          : info->check == ui::BST_CHECKED   ? "true"
                                                             : "\"indeterminate\"";
    *out +=
        indent + "{\"id\": " + std::to_string(info->id) +
        ", \"class\": " + JsonString(info->className) + ", \"text\": " + JsonString(info->text) +
        ", \"rect\": {\"left\": " + std::to_string(r.left) + ", \"top\": " + std::to_string(r.top) +
        ", \"right\": " + std::to_string(r.right) + ", \"bottom\": " + std::to_string(r.bottom) +
        "}, \"visible\": " + (info->visible ? "true" : "false") +
        ", \"enabled\": " + (info->enabled ? "true" : "false") + ", \"checked\": " + checked +
        ", \"active\": " + (active ? "true" : "false") + ", \"children\": [";
    const std::vector<ui::HWND> children = desktop.Children(hwnd);
    for (std::size_t i = 0; i < children.size(); ++i) {
        *out += i == 0 ? "\n" : ",\n";
        AppendWindow(out, desktop, children[i], false, depth + 1);
    }
    *out += children.empty() ? "]}" : "\n" + indent + "]}";
}

}  // namespace

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (std::size_t at = 0; at < text.size();) {
        const char32_t c = NextCodePoint(text, &at).value_or(kReplacement);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else if (c < 0x10000) {
            AppendUnit(&out, static_cast<unsigned>(c));
        } else {
            const char32_t v = c - 0x10000;
            AppendUnit(&out, 0xD800 + static_cast<unsigned>(v >> 10));
            AppendUnit(&out, 0xDC00 + static_cast<unsigned>(v & 0x3FF));
        }
    }
    return out + '"';
}

std::string WindowTreeJson(const ui::Desktop& desktop) {
    std::string out = "{\"windows\": [";
    const std::vector<ui::HWND> tops = desktop.TopLevelWindows();
    const ui::HWND active = desktop.ActiveWindow();
    for (std::size_t i = 0; i < tops.size(); ++i) {
        out += i == 0 ? "\n" : ",\n";
        AppendWindow(&out, desktop, tops[i], tops[i] == active, 1);
    }
    return out + (tops.empty() ? "]}\n" : "\n]}\n");
}

}  // namespace script
