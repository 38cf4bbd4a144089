#pragma once

// The GPS state record: one receiver cycle as the parser fills it and the GPS
// information window shows it. Plain data, all zero between cycles.

#include <array>
#include <cstddef>
#include <cstdint>

// Entries in the satellite table and in the list of satellites in the fix.
inline constexpr std::size_t GPS_SAT_MAX = 8;

// A dilution of precision that the receiver did not send.
inline constexpr std::uint8_t GPS_DOP_NONE = 255;
// Dilutions of 12.7 and above are stored as this value.
inline constexpr std::uint8_t GPS_DOP_CAP = 127;

// Satellite status once "$PVGSA" lists the satellite.
inline constexpr std::uint8_t GPS_SAT_STATUS_LISTED = 5;

// One satellite in view.
struct GPS_SAT_INFO {
    std::uint8_t bSatNo;      // PRN; 0 marks an empty entry
    std::uint8_t bElevation;  // degrees
    std::uint16_t wAzimuth;   // degrees
    std::uint8_t bStatus;     // 0 as filled from GSV, GPS_SAT_STATUS_LISTED after $PVGSA
    std::uint8_t bLevel;      // signal-to-noise ratio as received
};

struct GPS_INFO {
    std::uint16_t wYear;                            // calendar year, such as 2006
    std::uint8_t bMonth;                            // 1 to 12
    std::uint8_t bDay;                              // 1 to 31
    std::uint8_t bDayOfWeek;                        // 0 Sunday to 6 Saturday
    std::array<char, 4> szDayOfWeek;                // "SUN" ... "SAT", zero-terminated
    std::uint8_t bHour;                             // UTC
    std::uint8_t bMinute;                           // UTC
    std::uint8_t bSecond;                           // UTC
    std::int32_t lLatitude;                         // milliseconds of arc
    std::int32_t lLongitude;                        // milliseconds of arc
    char cLatitudeHemisphere;                       // 'N' or 'S' as received
    char cLongitudeHemisphere;                      // 'E' or 'W' as received
    std::int16_t sHeight;                           // metres above mean sea level
    std::uint16_t wSpeed;                           // 0.1 km/h
    std::uint16_t wCourse;                          // 0.1 degree
    std::uint8_t bPDOP;                             // tenths; GPS_DOP_NONE, GPS_DOP_CAP
    std::uint8_t bHDOP;                             // tenths; GPS_DOP_NONE, GPS_DOP_CAP
    std::uint8_t bVDOP;                             // tenths; GPS_DOP_NONE, GPS_DOP_CAP
    std::uint8_t bFixMode;                          // 1 none, 2 2D, 3 3D, 0 absent
    std::uint8_t bSatUsed;                          // satellites in use
    std::uint8_t bSatUsed2;                         // the same number again
    std::array<std::uint8_t, GPS_SAT_MAX> bFixSat;  // PRNs of the first eight channels
    char cSensorStatus;                             // receiver's own sensor status letter
    std::int8_t cMode2;                             // "$PVGSA" mode
    std::array<std::int8_t, 2> cPrecision2;         // "$PVGSA" precisions, tenths
    std::array<GPS_SAT_INFO, GPS_SAT_MAX> sat;      // satellites in view, in GSV order
    std::uint16_t wPressure;                        // 0.1 hPa
    std::int16_t sGradient;                         // 0.1 degree, signed
    std::uint8_t bDRStatus;                         // dead reckoning: non-zero OK
    std::uint8_t bCradle;                           // cradle: non-zero on
};

// The record is a fixed block that is cleared and copied whole; keep its
// layout stable.
static_assert(sizeof(GPS_SAT_INFO) == 6);
static_assert(offsetof(GPS_SAT_INFO, wAzimuth) == 2);
static_assert(offsetof(GPS_SAT_INFO, bLevel) == 5);
static_assert(offsetof(GPS_INFO, szDayOfWeek) == 5);
static_assert(offsetof(GPS_INFO, bSecond) == 11);
static_assert(offsetof(GPS_INFO, lLatitude) == 12);
static_assert(offsetof(GPS_INFO, cLatitudeHemisphere) == 20);
static_assert(offsetof(GPS_INFO, sHeight) == 22);
static_assert(offsetof(GPS_INFO, bPDOP) == 28);
static_assert(offsetof(GPS_INFO, bFixSat) == 34);
static_assert(offsetof(GPS_INFO, cSensorStatus) == 42);
static_assert(offsetof(GPS_INFO, cPrecision2) == 44);
static_assert(offsetof(GPS_INFO, sat) == 46);
static_assert(offsetof(GPS_INFO, wPressure) == 94);
static_assert(offsetof(GPS_INFO, bCradle) == 99);
static_assert(sizeof(GPS_INFO) == 100);
