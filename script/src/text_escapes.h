// Strings in scripts and in the runner's messages: C escapes both ways.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace script::detail {

// The words of one line. A word in double quotes may hold blanks and the
// escapes \r \n \t \\ \"; others end at a blank (a quote inside
// such a word is an ordinary character).
struct Word {
    std::string text;
    bool quoted = false;
    std::size_t offset = 0;  // where it starts in the line
};

// Splits a line into words; the reason on an unclosed quote or an unknown
// escape. The quoted path of `expect file` and key of `expect registry` take
// no escapes: a backslash is itself ("\Mounted Volume\Vesk", and a doubled
// one is one too).
platform::Result<void> SplitWords(std::string_view line, std::vector<Word>* words);

// The text in double quotes with escapes, control bytes as \xHH: how the
// runner shows what it expected and what it found.
std::string Quote(std::string_view text);

// "control 1051": how messages name a control.
std::string ControlName(int id);

}  // namespace script::detail
