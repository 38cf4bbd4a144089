#pragma once

// Day of the week of a Gregorian date.

#include <cstdint>

// 0 Sunday to 6 Saturday; 0 for a year below 1582, a month outside 1 to 12
// or a day outside 1 to 31.
int DayOfWeek(std::int32_t year, std::int32_t month, std::int32_t day) noexcept;

// "SUN" to "SAT" by DayOfWeek index.
inline constexpr char DAY_OF_WEEK_NAME[7][4] = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};
