#pragma once

// The text of the GPS information window: one receiver cycle as the block
// of lines the window shows.

#include <cstdint>
#include <string>

#include "gpsinfo/gps_info.h"

// Stars shown for a satellite's signal level: level / 4 + 1, at most 15.
int GpsStarCount(std::uint8_t level) noexcept;

// Date and time, position, height, course and speed, the three dilutions of
// precision, the sensor line, the fix mode with the number of satellites in
// use, and one line per filled satellite entry with its star bar.
std::string FormatGpsInfo(const GPS_INFO& info);
