// What must hold for every input: a failed check ends the run as a crash,
// with the broken rule on standard error.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace fuzz {

inline void Check(bool condition, const char* what) {
    if (!condition) {
        static_cast<void>(std::fprintf(stderr, "fuzz check failed: %s\n", what));
        std::abort();
    }
}

}  // namespace fuzz
