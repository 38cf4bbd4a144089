#include "pattern_check.h"

namespace script::detail {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The digits at pattern[at...], as written; their value stops growing once
// it is above `cap`, so that no run of digits overflows.
std::string_view Digits(std::string_view pattern, std::size_t at, long cap, long* value) {
    std::size_t end = at;
    *value = 0;
    while (end < pattern.size() && IsDigit(pattern[end])) {
        if (*value <= cap) {
            *value = *value * 10 + (pattern[end] - '0');
        }
        ++end;
    }
    return pattern.substr(at, end - at);
}

}  // namespace

std::string CheckPattern(std::string_view pattern) {
    long groups = 0;  // capturing groups opened so far
    bool inClass = false;
    for (std::size_t i = 0; i < pattern.size();) {
        const char c = pattern[i];
        if (c == '\\') {
            if (i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
                long number = 0;
                const std::string_view digits = Digits(pattern, i + 1, groups, &number);
                if (number > groups) {
                    return "the back-reference \\" + std::string(digits) +
                           " names no group opened before it";
                }
                i += 1 + digits.size();
            } else {
                i += 2;  // the escaped character, whatever it is
            }
            continue;
        }
        if (inClass) {
            // [:alpha:], [.a.] and [=a=] hold a ']' of their own.
            if (c == '[' && i + 1 < pattern.size() &&
                std::string_view(":.=").find(pattern[i + 1]) != std::string_view::npos) {
                const std::size_t close = pattern.find(std::string{pattern[i + 1], ']'}, i + 2);
                i = close == std::string_view::npos ? pattern.size() : close + 2;
                continue;
            }
            inClass = c != ']';
            ++i;
            continue;
        }
        if (c == '[') {
            inClass = true;
        } else if (c == '(' && (i + 1 == pattern.size() || pattern[i + 1] != '?')) {
            ++groups;
        } else if (c == '{') {
            // {n}, {n,} or {n,m}: each count within the bound.
            std::size_t at = i + 1;
            for (int count = 0; count < 2 && at < pattern.size(); ++count) {
                long value = 0;
                const std::string_view digits = Digits(pattern, at, kMostRepeats, &value);
                if (value > kMostRepeats) {
                    return "the repetition count " + std::string(digits) + " is above " +
                           std::to_string(kMostRepeats);
                }
                at += digits.size();
                if (at >= pattern.size() || pattern[at] != ',') {
                    break;
                }
                ++at;
            }
        }
        ++i;
    }
    return {};
}

}  // namespace script::detail
