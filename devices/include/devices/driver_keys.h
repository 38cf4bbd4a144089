// Where the unit's registry keeps its stream drivers: one key a driver under
// Drivers\BuiltIn ("Prefix", "Index"), and one key a loaded driver under
// Drivers\Active ("Hnd", "Name", "Key").
#pragma once

#include <string_view>

inline constexpr std::string_view kBuiltInDriversKey = "Drivers\\BuiltIn";
inline constexpr std::string_view kActiveDriversKey = "Drivers\\Active";
