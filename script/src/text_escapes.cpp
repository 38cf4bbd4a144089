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

// One escape after a backslash, from line[*i]: appended to *text, or the
// reason it cannot be.
platform::Result<void> ReadEscape(std::string_view line, std::size_t* i, std::string* text) {
    const char e = line[(*i)++];
    switch (e) {
        case 'r':
            *text += '\r';
            return {};
        case 'n':
            *text += '\n';
            return {};
        case 't':
            *text += '\t';
            return {};
        case '\\':
        case '"':
            *text += e;
            return {};
        case 'x':
            break;
        default:
            return platform::Fail(std::string("unknown escape \\") + e +
                                  " (use \\r \\n \\t \\\\ \\\" \\xHH)");
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
            return platform::Fail("\\x takes two hex digits");
        }
        value = value * 16 + digit;
    }
    if (value == 0) {
        return platform::Fail("a string cannot hold \\x00");
    }
    *text += static_cast<char>(value);
    return {};
}

// A quoted word whose opening quote is at line[*i]; the reason it is
// malformed. In a path a backslash is itself, and so is a doubled one.
platform::Result<void> ReadQuoted(std::string_view line, std::size_t* i, Word* word, bool path) {
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
        if (path) {
            word->text += c;
            if (*i < line.size() && line[*i] == '\\') {
                ++*i;
            }
            continue;
        }
        if (*i == line.size()) {
            break;
        }
        if (platform::Result<void> read = ReadEscape(line, i, &word->text); !read) {
            return read;
        }
    }
    if (!closed) {
        return platform::Fail("the string has no closing quote");
    }
    if (*i < line.size() && !IsBlank(line[*i])) {
        return platform::Fail("a blank must follow the closing quote");
    }
    return {};
}

// The word after `expect file` or `expect registry` is a path on the unit.
bool PathNext(const std::vector<Word>& words) {
    return words.size() == 2 && !words[0].quoted && words[0].text == "expect" && !words[1].quoted &&
           (words[1].text == "file" || words[1].text == "registry");
}

}  // namespace

platform::Result<void> SplitWords(std::string_view line, std::vector<Word>* words) {
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
        } else if (platform::Result<void> read = ReadQuoted(line, &i, &word, PathNext(*words));
                   !read) {
            return read;
        }
        words->push_back(std::move(word));
    }
    return {};
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
