// What an `expect match` pattern is checked for before the regex library
// sees it. The library reads a back-reference's number and a repetition
// count into a machine integer without a bound (a long run of digits
// overflows it), so a back-reference must name a group opened before it and
// a count is at most kMostRepeats. The library judges the rest.
#pragma once

#include <string>
#include <string_view>

namespace script::detail {

inline constexpr int kMostRepeats = 1000;

// Empty when the pattern may go on to the regex library, else why not.
std::string CheckPattern(std::string_view pattern);

}  // namespace script::detail
