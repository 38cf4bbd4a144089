// What must hold for every input: a failed check ends the run as a crash,
// with the broken rule on standard error.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace fuzz {

inline void Check(bool condition, const char* what) {
    if (!condition) {
        static_cast<void>(std::fprintf(stderr, "fuzz check failed: %s\n", what));
        std::abort();
    }
}

// How many lines a text has, the last one unended or empty: the highest
// line number a reader may name in an error about it.
inline std::size_t Lines(std::string_view text) {
    return 1 + static_cast<std::size_t>(std::ranges::count(text, '\n'));
}

}  // namespace fuzz
