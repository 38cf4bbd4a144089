// The tour of the console's pages (tour.script, built into the program).
#pragma once

#include <string_view>

namespace program {

extern const std::string_view kTourScript;

}  // namespace program
