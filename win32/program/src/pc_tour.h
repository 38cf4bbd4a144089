// The tour of the console's pages on a PC (tour.script, built into the
// program): what a PC without the unit's drivers shows.
#pragma once

#include <string_view>

namespace pc {

extern const std::string_view kPcTourScript;

}  // namespace pc
