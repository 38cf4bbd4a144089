#include <gtest/gtest.h>

#include <array>
#include <string>

#include "gpsinfo/gps_info.h"
#include "gpsinfo/nmea_gps_info_parser.h"
#include "nmea_test_support.h"

namespace {

using nmea_test::ExpectSats;
using nmea_test::Feed;
using nmea_test::RunFresh;
using nmea_test::Sat;

// ---- GGA ----------------------------------------------------------------

struct GgaCase {
    const char* line;
    std::int32_t latitude;
    char ns;
    std::int32_t longitude;
    char ew;
    std::int16_t height;
    std::uint8_t satUsed;
};

TEST(ParseGGA, TableOfSentences) {
    const GgaCase cases[] = {
        // No position yet: the unit's default place, 100 m.
        {"$GPGGA,,,,,,0,,,,M,,M,,*66", 128234000, 'N', 503050000, 'W', 100, 0},
        // Minutes keep seven characters: 37.123456 counts as 37.1234.
        {"$GPGGA,1,3537.123456,N,13944.1666,E,1,07,1.0,-12.9,M", 128227404, 'N', 503049996, 'E',
         -12, 7},
        {"$GPGGA,145243.000,3401.9764,N,11744.8274,W,2,10,0.87,234.7,M,-33.2,M,0000,0000*5F",
         122518584, 'N', 423889644, 'W', 234, 10},
        {"$GPGGA,095257.809,2712.6404,S,15303.1201,E,0,00,00.0,4.0,M,42.2,M,,*7B", 97958424, 'S',
         550987206, 'E', 4, 0},
        // Hemisphere fields missing: a zero byte. Height and count keep low bits.
        {"$GPGGA,,4916.45,,12311.12,,1,300,,70000,M", 177387000, '\0', 443467200, '\0', 4464, 44},
        // Degrees that overflow 32 bits wrap; an absurd height saturates first.
        {"$GPGGA,,9999.9999,N,99999.9999,E,,,,99999999999", 362399994, 'N', -692567302, 'E', -1, 0},
        {"$GPGGA,,5,N,1,E,,7*3F,,1e4", 18000000, 'N', 3600000, 'E', 10000, 7},
        {"$GPGGA,,3537.0", 128220000, '\0', 503050000, 'W', 100, 0},
    };
    for (const auto& c : cases) {
        const GPS_INFO info = RunFresh(&CGpsInfoParser::ParseGGA, c.line);
        EXPECT_EQ(info.lLatitude, c.latitude) << c.line;
        EXPECT_EQ(info.cLatitudeHemisphere, c.ns) << c.line;
        EXPECT_EQ(info.lLongitude, c.longitude) << c.line;
        EXPECT_EQ(info.cLongitudeHemisphere, c.ew) << c.line;
        EXPECT_EQ(info.sHeight, c.height) << c.line;
        EXPECT_EQ(info.bSatUsed, c.satUsed) << c.line;
        EXPECT_EQ(info.bSatUsed2, c.satUsed) << c.line;
    }
}

// ---- GSA ----------------------------------------------------------------

struct GsaCase {
    const char* line;
    std::uint8_t pdop;
    std::uint8_t hdop;
    std::uint8_t vdop;
    std::uint8_t fixMode;
};

TEST(ParseGSA, DopBoundaries) {
    const GsaCase cases[] = {
        {"$GPGSA,A,3,01,02,03,04,05,06,07,08,09,10,11,12,0.9,12.7,13.0*3F", 9, 127, 127, 3},
        {"$GPGSA,A,1,,,,,,,,,,,,,,,*1E", 255, 255, 255, 1},
        {"$GPGSA,A,2,,,,,,,,,,,,,12.70001,12.6999,12.75*00", 127, 126, 127, 2},
        {"$GPGSA,A,3,,,,,,,,,,,,,1.58,0.87,1.31*0D", 15, 8, 13, 3},
        {"$GPGSA,A,3,,,,,,,,,,,,,1.5,,2.0", 15, 255, 20, 3},
        // Four characters of VDOP: 1.23, not 1.234.
        {"$GPGSA,A,3,,,,,,,,,,,,,0,x,1.234*77", 0, 0, 12, 3},
        // A checksum-only VDOP is absent; an NMEA 4.1 system id follows VDOP.
        {"$GPGSA,A,3,,,,,,,,,,,,,1.4,1.1,*1E", 14, 11, 255, 3},
        {"$GPGSA,A,2,06,07,11,19,22,28,30,,,,,,1.4,1.1,0.8,1*23", 14, 11, 8, 2},
        {"$GPGSA,A,,,,,,,,,,,,,,-1.0,60.000,60.000*0E", 246, 127, 127, 0},
    };
    for (const auto& c : cases) {
        const GPS_INFO info = RunFresh(&CGpsInfoParser::ParseGSA, c.line);
        EXPECT_EQ(info.bPDOP, c.pdop) << c.line;
        EXPECT_EQ(info.bHDOP, c.hdop) << c.line;
        EXPECT_EQ(info.bVDOP, c.vdop) << c.line;
        EXPECT_EQ(info.bFixMode, c.fixMode) << c.line;
    }
}

TEST(ParseGSA, SatellitesOfTheFirstEightChannels) {
    const GPS_INFO info =
        RunFresh(&CGpsInfoParser::ParseGSA, "$GPGSA,A,3,14,,300,22,18,19,24,06,21,03,,,1,1,1*0D");
    const std::array<std::uint8_t, GPS_SAT_MAX> expected = {14, 0, 44, 22, 18, 19, 24, 6};
    EXPECT_EQ(info.bFixSat, expected);
}

// ---- GSV ----------------------------------------------------------------

struct GsvCase {
    const char* name;
    std::uint8_t satUsed;
    std::vector<const char*> lines;
    std::array<Sat, GPS_SAT_MAX> sats;
    std::uint8_t satIndex;
};

TEST(ParseGSV, IndexRules) {
    const GsvCase cases[] = {
        {"empty satellite number still uses an entry",
         5,
         {"$GPGSV,1,1,03,05,10,100,30,07,20,200,40,09,30,300,50,,,,*70"},
         {{{5, 10, 100, 30}, {7, 20, 200, 40}, {9, 30, 300, 50}}},
         4},
        {"gap in the middle stays empty",
         5,
         {"$GPGSV,1,1,03,05,10,100,30,,20,200,40,09,30,300,50*70"},
         {{{5, 10, 100, 30}, {}, {9, 30, 300, 50}}},
         4},
        {"third sentence of twelve changes nothing",
         9,
         {"$GPGSV,3,1,12,01,01,001,11,02,02,002,12,03,03,003,13,04,04,004,14*70",
          "$GPGSV,3,2,12,05,05,005,15,06,06,006,16,07,07,007,17,08,08,008,18*70",
          "$GPGSV,3,3,12,09,09,009,19,10,10,010,20,11,11,011,21,12,12,012,22*70"},
         {{{1, 1, 1, 11},
           {2, 2, 2, 12},
           {3, 3, 3, 13},
           {4, 4, 4, 14},
           {5, 5, 5, 15},
           {6, 6, 6, 16},
           {7, 7, 7, 17},
           {8, 8, 8, 18}}},
         8},
        {"no satellites used: every level is 0",
         0,
         {"$GPGSV,1,1,02,15,74,245,43,17,24,105,33*7A"},
         {{{15, 74, 245, 0}, {17, 24, 105, 0}}},
         4},
        {"level keeps two characters, numbers keep low bits",
         1,
         {"$GPGSV,1,1,04,300,,70000,123,2,,,*7F,3,1,1,45*7F,4,,,"},
         {{{44, 0, 4464, 12}, {2, 0, 0, 0}, {3, 1, 1, 45}, {4, 0, 0, 0}}},
         4},
        {"sentence without groups uses no entry", 1, {"$GPGSV,1,1,00*79"}, {}, 4},
        {"short sentence", 1, {"$GPGSV,1,1,01,07,1"}, {{{7, 1, 0, 0}}}, 4},
    };
    for (const auto& c : cases) {
        CGpsInfoParser parser;
        GPS_INFO info{};
        info.bSatUsed = c.satUsed;
        for (const char* line : c.lines) {
            Feed(parser, &CGpsInfoParser::ParseGSV, info, line);
        }
        ExpectSats(info, c.sats, c.name);
        EXPECT_EQ(parser.GetSatIndex(), c.satIndex) << c.name;
    }
}

// ---- PVSNS --------------------------------------------------------------

TEST(ParsePVSNS, SensorReadings) {
    const struct {
        const char* line;
        char status;
        std::uint16_t pressure;
        std::int16_t gradient;
        std::uint8_t dr;
        std::uint8_t cradle;
    } cases[] = {
        {"$PVSNS,A,x,-2.56,1013.25,,,1,1*00", 'A', 10132, -25, 1, 1},
        {"$PVSNS,B,,12.34,998.0,,,0,2*7F", 'B', 9980, 123, 0, 2},
        // Empty status leaves the letter as it was; a checksum-only field is 0.
        {"$PVSNS,,,,,,,,*00", 'q', 0, 0, 0, 0},
        // Values beyond the fields keep their low bits.
        {"$PVSNS,C,,3500,7000.0,,,257,-1", 'C', 4464, -30536, 1, 255},
    };
    for (const auto& c : cases) {
        CGpsInfoParser parser;
        GPS_INFO info{};
        info.cSensorStatus = 'q';
        Feed(parser, &CGpsInfoParser::ParsePVSNS, info, c.line);
        EXPECT_EQ(info.cSensorStatus, c.status) << c.line;
        EXPECT_EQ(info.wPressure, c.pressure) << c.line;
        EXPECT_EQ(info.sGradient, c.gradient) << c.line;
        EXPECT_EQ(info.bDRStatus, c.dr) << c.line;
        EXPECT_EQ(info.bCradle, c.cradle) << c.line;
    }
}

TEST(ParsePVSNS, StartsTheNextSatelliteList) {
    CGpsInfoParser parser;
    GPS_INFO info{};
    info.bSatUsed = 1;
    Feed(parser, &CGpsInfoParser::ParseGSV, info, "$GPGSV,1,1,01,07,1,1,1");
    ASSERT_EQ(parser.GetSatIndex(), 4);
    Feed(parser, &CGpsInfoParser::ParsePVSNS, info, "$PVSNS");
    EXPECT_EQ(parser.GetSatIndex(), 0);
}

// ---- RMC and ZDA --------------------------------------------------------

struct DateTimeCase {
    const char* line;
    std::uint16_t year;
    std::uint8_t month;
    std::uint8_t day;
    std::uint8_t weekday;
    const char* name;
    std::uint8_t hour;
    std::uint8_t minute;
    std::uint8_t second;
};

void ExpectDateTime(const GPS_INFO& info, const DateTimeCase& c) {
    EXPECT_EQ(info.wYear, c.year) << c.line;
    EXPECT_EQ(info.bMonth, c.month) << c.line;
    EXPECT_EQ(info.bDay, c.day) << c.line;
    EXPECT_EQ(info.bDayOfWeek, c.weekday) << c.line;
    EXPECT_EQ(std::string(info.szDayOfWeek.data(), 4), std::string(c.name, 3) + '\0') << c.line;
    EXPECT_EQ(info.bHour, c.hour) << c.line;
    EXPECT_EQ(info.bMinute, c.minute) << c.line;
    EXPECT_EQ(info.bSecond, c.second) << c.line;
}

TEST(ParseRMC, DateAndTime) {
    const DateTimeCase cases[] = {
        {"$GPRMC,,V,,,,,,,,,,N*53", 2003, 3, 1, 6, "SAT", 0, 0, 0},
        {"$GPRMC,123519.50,A,4807.038,N,01131.000,E,10.0,123.45,311006,,*6A", 2006, 10, 31, 2,
         "TUE", 12, 35, 19},
        {"$GPRMC,000000,A,,,,,,,290204", 2004, 2, 29, 0, "SUN", 0, 0, 0},
        {"$GPRMC,235950.004,V,,,,,0.000,0.00,050180,,,N*41", 2080, 1, 5, 5, "FRI", 23, 59, 50},
        // Short or impossible dates give weekday 0.
        {"$GPRMC,1234,A,,,,,,,1", 2000, 0, 1, 0, "SUN", 12, 34, 0},
        {"$GPRMC,99,A,,,,,,,011399", 2099, 13, 1, 0, "SUN", 99, 0, 0},
    };
    for (const auto& c : cases) {
        CGpsInfoParser parser;
        GPS_INFO info{};
        info.szDayOfWeek = {'x', 'x', 'x', 'x'};
        Feed(parser, &CGpsInfoParser::ParseRMC, info, c.line);
        ExpectDateTime(info, c);
    }
}

TEST(ParseRMC, SpeedAndCourse) {
    const struct {
        const char* line;
        std::uint16_t speed;
        std::uint16_t course;
    } cases[] = {
        {"$GPRMC,,A,,,,,10.0,123.45,311006", 185, 1234},
        {"$GPRMC,,A,,,,,0.02,351.94,120319,,,A*65", 0, 3519},
        {"$GPRMC,,A,,,,,0.55,36.58,180710", 10, 365},
        {"$GPRMC,,A,,,,,,,", 0, 0},
        // Out of range: low 16 bits of the truncated value.
        {"$GPRMC,,A,,,,,40000,-1,", 19904, 65526},
        {"$GPRMC,,A,,,,,1e9,nan,", 65535, 0},
    };
    for (const auto& c : cases) {
        const GPS_INFO info = RunFresh(&CGpsInfoParser::ParseRMC, c.line);
        EXPECT_EQ(info.wSpeed, c.speed) << c.line;
        EXPECT_EQ(info.wCourse, c.course) << c.line;
    }
}

TEST(ParseZDA, DateAndTime) {
    const DateTimeCase cases[] = {
        {"$GPZDA,201530.00,04,07,2002,00,00*60", 2002, 7, 4, 4, "THU", 20, 15, 30},
        {"$GPZDA,,,,,,", 2003, 1, 1, 3, "WED", 0, 0, 0},
        {"$GPZDA,213121.000,07,04,2016,00,00*52", 2016, 4, 7, 4, "THU", 21, 31, 21},
    };
    for (const auto& c : cases) {
        ExpectDateTime(RunFresh(&CGpsInfoParser::ParseZDA, c.line), c);
    }
}

// ---- VTG ----------------------------------------------------------------

TEST(ParseVTG, CourseAndKilometresPerHour) {
    CGpsInfoParser parser;
    GPS_INFO info{};
    info.bSatUsed = 1;
    Feed(parser, &CGpsInfoParser::ParseGSV, info, "$GPGSV,1,1,01,07,1,1,1");
    Feed(parser, &CGpsInfoParser::ParseVTG, info, "$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48");
    EXPECT_EQ(info.wCourse, 547);
    EXPECT_EQ(info.wSpeed, 102);
    EXPECT_EQ(parser.GetSatIndex(), 0);
    Feed(parser, &CGpsInfoParser::ParseVTG, info, "$GPVTG,,T,,M,,N,,K,N*2C");
    EXPECT_EQ(info.wCourse, 0);
    EXPECT_EQ(info.wSpeed, 0);
}

// ---- PVGSA --------------------------------------------------------------

TEST(ParsePVGSA, MarksListedSatellitesAndPrecisions) {
    const struct {
        const char* line;
        std::int8_t mode;
        std::array<std::uint8_t, 4> status;
        std::int8_t precision0;
        std::int8_t precision1;
        char sensor;
    } cases[] = {
        // Only the first entry with a listed number is marked.
        {"$PVGSA,3,05,07,,,,,,,a,b,c,d,1.5,13.0,e,f,g,Z", 3, {5, 5, 0, 0}, 15, 127, 'Z'},
        {"$PVGSA,1,05,07,,,,,,,,,,,,,,,,", 1, {0, 0, 0, 0}, 127, 127, 'q'},
        // The mode is a signed 8-bit value: 258 is 2, 129 is -127.
        {"$PVGSA,258,09,,,,,,,,,,,,0.9,12.7", 2, {0, 0, 0, 5}, 9, 127, 'q'},
        {"$PVGSA,129,09,,,,,,,,,,,,-0.5,x", -127, {0, 0, 0, 0}, -5, 0, 'q'},
        // 263 is not satellite 7.
        {"$PVGSA,2,263,,,,,,,,,,,,,,,,,Y", 2, {0, 0, 0, 0}, 127, 127, 'Y'},
    };
    for (const auto& c : cases) {
        CGpsInfoParser parser;
        GPS_INFO info{};
        info.cSensorStatus = 'q';
        info.sat[0].bSatNo = 7;
        info.sat[1].bSatNo = 5;
        info.sat[2].bSatNo = 5;
        info.sat[3].bSatNo = 9;
        Feed(parser, &CGpsInfoParser::ParsePVGSA, info, c.line);
        EXPECT_EQ(info.cMode2, c.mode) << c.line;
        for (std::size_t i = 0; i < c.status.size(); ++i) {
            EXPECT_EQ(info.sat[i].bStatus, c.status[i]) << c.line << " entry " << i;
        }
        EXPECT_EQ(info.cPrecision2[0], c.precision0) << c.line;
        EXPECT_EQ(info.cPrecision2[1], c.precision1) << c.line;
        EXPECT_EQ(info.cSensorStatus, c.sensor) << c.line;
    }
}

}  // namespace
