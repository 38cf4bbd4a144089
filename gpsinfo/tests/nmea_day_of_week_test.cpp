#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "gpsinfo/nmea_day_of_week.h"

namespace {

struct DateCase {
    int year;
    int month;
    int day;
    int weekday;
    const char* name;
};

TEST(DayOfWeek, TableOfDates) {
    const DateCase cases[] = {
        {2003, 3, 1, 6, "SAT"},  {2006, 10, 31, 2, "TUE"}, {2004, 2, 29, 0, "SUN"},
        {2000, 1, 1, 6, "SAT"},  {2000, 2, 29, 2, "TUE"},  {1900, 3, 1, 4, "THU"},
        {2010, 6, 3, 4, "THU"},  {2080, 1, 5, 5, "FRI"},   {1582, 10, 15, 5, "FRI"},
        {2019, 3, 12, 2, "TUE"}, {2100, 12, 31, 5, "FRI"}, {9999, 12, 31, 5, "FRI"},
    };
    for (const auto& c : cases) {
        const int weekday = DayOfWeek(c.year, c.month, c.day);
        EXPECT_EQ(weekday, c.weekday) << c.year << "-" << c.month << "-" << c.day;
        EXPECT_STREQ(DAY_OF_WEEK_NAME[weekday], c.name);
    }
}

TEST(DayOfWeek, AgreesWithTheCalendarFrom1582To2200) {
    using namespace std::chrono;
    for (sys_days d = sys_days{year{1582} / October / 15}; d <= sys_days{year{2200} / 1 / 1};
         d += days{1}) {
        const year_month_day ymd{d};
        const int expected = static_cast<int>(weekday{d}.c_encoding());
        const int got =
            DayOfWeek(static_cast<int>(ymd.year()), static_cast<int>(unsigned{ymd.month()}),
                      static_cast<int>(unsigned{ymd.day()}));
        if (got != expected) {
            FAIL() << static_cast<int>(ymd.year()) << "-" << unsigned{ymd.month()} << "-"
                   << unsigned{ymd.day()} << ": " << got << " != " << expected;
        }
    }
}

TEST(DayOfWeek, OutOfRangeGivesZero) {
    const DateCase cases[] = {
        {1581, 12, 31, 0, ""}, {2006, 0, 10, 0, ""}, {2006, 13, 10, 0, ""}, {2006, 5, 0, 0, ""},
        {2006, 5, 32, 0, ""},  {-5, 5, 5, 0, ""},    {2006, -1, 5, 0, ""},  {2006, 5, -40, 0, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DayOfWeek(c.year, c.month, c.day), 0) << c.year << "-" << c.month << "-" << c.day;
    }
    // Large years must not overflow.
    const int weekday = DayOfWeek(INT32_MAX, 12, 31);
    EXPECT_GE(weekday, 0);
    EXPECT_LE(weekday, 6);
}

}  // namespace
