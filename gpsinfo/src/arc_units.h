#pragma once

#include <cstdint>

// Latitude and longitude travel in milliseconds of arc.
namespace nmea {

inline constexpr std::int32_t kMsPerDegree = 3'600'000;
inline constexpr std::int32_t kMsPerMinute = 60'000;
inline constexpr std::int32_t kMsPerSecond = 1'000;

}  // namespace nmea
