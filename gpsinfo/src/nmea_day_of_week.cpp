#include "gpsinfo/nmea_day_of_week.h"

int DayOfWeek(std::int32_t year, std::int32_t month, std::int32_t day) noexcept {
    if (year < 1582 || month < 1 || month > 12 || day < 1 || day > 31) {
        return 0;
    }
    // January and February count as months 13 and 14 of the year before.
    std::int64_t y = year;
    std::int64_t m = month;
    if (m <= 2) {
        m += 12;
        y -= 1;
    }
    return static_cast<int>((day + (13 * m + 8) / 5 + y + y / 4 - y / 100 + y / 400) % 7);
}
