#include "text_escapes.h"

#include <cstdio>
#include <utility>

namespace script::detail {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

namespace {

// One escape after a backslash, from line[*i]: appended to *text, or false
// with the reason.
bool ReadEscape(std::string_view line, std::size_t* i, std::string* text, std::string* error) {
    const char e = line[(*i)++];
    switch (e) {
        case 'r':
            *text += '\r';
            return true;
        case 'n':
            *text += '\n';
            return true;
        case 't':
            *text += '\t';
            return true;
        case '\\':
        case '"':
            *text += e;
            return true;
        case 'x':
            break;
        default:
            *error = std::string("unknown escape \\") + e + " (use \\r \\n \\t \\\\ \\\" \\xHH)";
            return false;
    }
    // \xHH: a byte the runner shows that way (control bytes).
    int value = 0;
    for (int k = 0; k < 2; ++k) {
        const char h = *i < line.size() ? line[(*i)++] : '\0';
        const int digit = h >= '0' && h <= '9'   ? h - '0'
                          : h >= 'a' && h <= 'f' ? h - 'a' + 10
                          : h >= 'A' && h <= 'F' ? h - 'A' + 10
                                                 : -1;
        if (digit < 0) {
            *error = "\\x takes two hex digits";
            return false;
        }
        value = value * 16 + digit;
    }
    if (value == 0) {
        *error = "a string cannot hold \\x00";
        return false;
    }
    *text += static_cast<char>(value);
    return true;
}

// A quoted word whose opening quote is at line[*i]; false with the reason.
bool ReadQuoted(std::string_view line, std::size_t* i, Word* word, std::string* error) {
    word->quoted = true;
    ++*i;
    bool closed = false;
    while (*i < line.size()) {
        const char c = line[(*i)++];
        if (c == '"') {
            closed = true;
            break;
        }
        if (c != '\\') {
            word->text += c;
            continue;
        }
        if (*i == line.size()) {
            break;
        }
        if (!ReadEscape(line, i, &word->text, error)) {
            return false;
        }
    }
    if (!closed) {
        *error = "the string has no closing quote";
        return false;
    }
    if (*i < line.size() && !IsBlank(line[*i])) {
        *error = "a blank must follow the closing quote";
        return false;
    }
    return true;
}

}  // namespace

bool SplitWords(std::string_view line, std::vector<Word>* words, std::string* error) {
    words->clear();
    std::size_t i = 0;
    while (i < line.size()) {
        if (IsBlank(line[i])) {
            ++i;
            continue;
        }
        Word word;
        word.offset = i;
        if (line[i] != '"') {
            while (i < line.size() && !IsBlank(line[i])) {
                word.text += line[i++];
            }
        } else if (!ReadQuoted(line, &i, &word, error)) {
            return false;
        }
        words->push_back(std::move(word));
    }
    return true;
}

std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                    char hex[8];
                    static_cast<void>(
                        std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c)));
                    out += hex;
                } else {
                    out += c;
                }
        }
    }
    out += '"';
    return out;
}

std::string ControlName(int id) {
    return "control " + std::to_string(id);
}

}  // namespace script::detail
