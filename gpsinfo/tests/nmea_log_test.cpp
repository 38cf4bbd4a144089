#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gpsinfo/gps_info.h"
#include "gpsinfo/nmea_fields.h"
#include "gpsinfo/nmea_gps_info_parser.h"
#include "nmea_test_support.h"

namespace {

using nmea_test::ExpectSats;
using nmea_test::Sat;

// A cycle of a real log, worked out by hand from its sentences.
struct CycleCase {
    const char* log;
    std::size_t cycles;  // completed in the whole log
    std::size_t index;   // the cycle checked
    std::int32_t latitude;
    char ns;
    std::int32_t longitude;
    char ew;
    std::int16_t height;
    std::uint8_t satUsed;
    std::uint16_t year;
    std::uint8_t month;
    std::uint8_t day;
    const char* weekday;
    std::uint8_t hour;
    std::uint8_t minute;
    std::uint8_t second;
    std::uint16_t speed;
    std::uint16_t course;
    std::uint8_t pdop;
    std::uint8_t hdop;
    std::uint8_t vdop;
    std::uint8_t fixMode;
    std::array<std::uint8_t, GPS_SAT_MAX> fixSat;
    std::array<Sat, GPS_SAT_MAX> sats;
};

TEST(NmeaLogReplay, HandWorkedCycles) {
    // clang-format off
    const CycleCase cases[] = {
        // GGA, GSA, three GSV, RMC: a clean N/W DGPS fix. The third GSV
        // sentence changes nothing.
        {"nmea/bt-q818.log", 10, 0, 122518584, 'N', 423889644, 'W', 234, 10,
         2010, 6, 3, "THU", 14, 52, 43, 0, 1192, 15, 8, 13, 3,
         {14, 9, 22, 18, 19, 24, 6, 21},
         {{{14, 86, 335, 41}, {22, 54, 49, 36}, {24, 54, 134, 38}, {51, 48, 161, 31},
           {19, 36, 273, 30}, {6, 28, 224, 27}, {3, 27, 237, 25}, {18, 25, 76, 36}}}},
        // S/E, no satellites used (all levels 0). GGA 095257.809 with the
        // GSA and RMC of the following receiver cycle.
        {"nmea/haicom-305N.log", 26, 0, 97958424, 'S', 550987206, 'E', 4, 0,
         2007, 4, 8, "SUN", 9, 52, 58, 0, 0, 0, 0, 0, 1,
         {},
         {{{2, 15, 123, 0}, {5, 45, 347, 0}, {6, 58, 198, 0}, {7, 45, 212, 0},
           {10, 44, 132, 0}, {12, 39, 2, 0}, {18, 13, 332, 0}, {21, 33, 266, 0}}}},
        // GGA 022021 and RMC 022022: RMC comes before GSA in this receiver's
        // order, so every cycle spans two of its cycles. 2D fix, NMEA 4.1.
        {"nmea/quectel.log", 21, 0, 132285558, 'S', 629044368, 'E', 56, 7,
         2020, 10, 7, "WED", 2, 20, 22, 0, 3019, 14, 11, 8, 2,
         {6, 7, 11, 19, 22, 28, 30, 0},
         {{{3, 3, 74, 38}, {6, 15, 348, 36}, {7, 18, 22, 52}, {11, 13, 133, 36},
           {19, 43, 291, 33}, {22, 7, 94, 42}, {28, 66, 165, 29}, {30, 47, 8, 54}}}},
        // DOPs of 60 capped; 19 in view, the first eight kept; empty
        // elevation, azimuth and level fields.
        {"nmea/myguide-3100.log", 6, 0, 202379994, 'N', 11202576, 'W', 160, 2,
         2009, 10, 8, "THU", 10, 50, 26, 0, 0, 127, 127, 127, 1,
         {29, 30},
         {{{1, 5, 0, 23}, {2, 28, 73, 23}, {4, 19, 40, 24}, {9, 3, 137, 28},
           {12, 44, 85, 0}, {13, 5, 0, 0}, {14, 32, 226, 0}, {15, 5, 0, 0}}}},
        // Cold boot: bogus 89d 60m position, date 050180 read as 2080,
        // satellites without elevation or azimuth.
        {"nmea/mtk-3301.log", 3, 0, 324000000, 'N', 0, 'E', 137, 0,
         2080, 1, 5, "FRI", 23, 59, 50, 0, 0, 255, 255, 255, 1,
         {},
         {{{21, 0, 0, 0}, {28, 0, 0, 0}, {25, 0, 0, 0}, {7, 0, 0, 0},
           {8, 0, 0, 0}, {10, 0, 0, 0}}}},
        // Seven-decimal minutes cut to four; no GSV before the RMC, so the
        // cycle goes straight from GSA to "$PVSNS".
        {"nmea/skytraq-dgps.log", 96, 0, 158647770, 'N', 436732110, 'W', 1102, 7,
         2016, 4, 7, "THU", 21, 31, 21, 0, 1227, 25, 12, 22, 3,
         {9, 23, 8, 11, 27, 28},
         {}},
    };
    // clang-format on
    for (const auto& c : cases) {
        const std::vector<GPS_INFO> cycles = nmea_test::ReplayCycles(c.log);
        EXPECT_EQ(cycles.size(), c.cycles) << c.log;
        ASSERT_LT(c.index, cycles.size()) << c.log;
        const GPS_INFO& r = cycles[c.index];
        SCOPED_TRACE(c.log);
        EXPECT_EQ(r.lLatitude, c.latitude);
        EXPECT_EQ(r.cLatitudeHemisphere, c.ns);
        EXPECT_EQ(r.lLongitude, c.longitude);
        EXPECT_EQ(r.cLongitudeHemisphere, c.ew);
        EXPECT_EQ(r.sHeight, c.height);
        EXPECT_EQ(r.bSatUsed, c.satUsed);
        EXPECT_EQ(r.wYear, c.year);
        EXPECT_EQ(r.bMonth, c.month);
        EXPECT_EQ(r.bDay, c.day);
        EXPECT_STREQ(r.szDayOfWeek.data(), c.weekday);
        EXPECT_EQ(r.bHour, c.hour);
        EXPECT_EQ(r.bMinute, c.minute);
        EXPECT_EQ(r.bSecond, c.second);
        EXPECT_EQ(r.wSpeed, c.speed);
        EXPECT_EQ(r.wCourse, c.course);
        EXPECT_EQ(r.bPDOP, c.pdop);
        EXPECT_EQ(r.bHDOP, c.hdop);
        EXPECT_EQ(r.bVDOP, c.vdop);
        EXPECT_EQ(r.bFixMode, c.fixMode);
        EXPECT_EQ(r.bFixSat, c.fixSat);
        ExpectSats(r, c.sats, c.log);
        EXPECT_EQ(r.cSensorStatus, nmea_test::kPvsnsStatus);
        EXPECT_EQ(r.wPressure, nmea_test::kPvsnsPressure);
        EXPECT_EQ(r.sGradient, nmea_test::kPvsnsGradient);
        EXPECT_EQ(r.bDRStatus, 1);
        EXPECT_EQ(r.bCradle, 0);
    }
}

TEST(NmeaLogReplay, WithoutPvsnsNoCycleCompletes) {
    CGpsInfoParser parser;
    GPS_INFO info{};
    int completed = 0;
    nmea_test::AssembleLines(nmea_test::ReadTestFile("nmea/bt-q818.log"),
                             [&](const char* line, std::size_t length) {
                                 completed += parser.Dispatch(line, length, info) ? 1 : 0;
                             });
    EXPECT_EQ(completed, 0);
    EXPECT_EQ(parser.GetState(), CNmeaParser::STATE_WAIT_PVSNS);
}

// ---- Cross-check against gpsd's own decoding (.chk files) -------------

std::optional<double> JsonNumber(const std::string& json, const std::string& key) {
    const std::string pattern = "\"" + key + "\":";
    const std::size_t pos = json.find(pattern);
    if (pos == std::string::npos || json[pos + pattern.size()] == '"') {
        return std::nullopt;
    }
    return std::strtod(json.c_str() + pos + pattern.size(), nullptr);
}

std::optional<std::string> JsonString(const std::string& json, const std::string& key) {
    const std::string pattern = "\"" + key + "\":\"";
    const std::size_t pos = json.find(pattern);
    if (pos == std::string::npos) {
        return std::nullopt;
    }
    const std::size_t start = pos + pattern.size();
    return json.substr(start, json.find('"', start) - start);
}

// gpsd's satellite object for `prn`, if it reported one.
std::optional<std::string> GpsdSatellite(const std::string& sky, int prn) {
    const std::string pattern = "{\"PRN\":" + std::to_string(prn) + ",";
    const std::size_t pos = sky.find(pattern);
    if (pos == std::string::npos) {
        return std::nullopt;
    }
    return sky.substr(pos, sky.find('}', pos) - pos);
}

// `ours` in tenths is `value` x 10 truncated, give or take gpsd's rounding.
void ExpectTenths(double ours, double value, double slack, const std::string& what) {
    EXPECT_LE(ours, value * 10.0 + slack) << what;
    EXPECT_GT(ours, value * 10.0 - 1.0 - slack) << what;
}

struct Gpsd {
    std::string tpv;
    std::string sky;
    std::string skySatellites;
};

int CompareWithGpsd(const GPS_INFO& r, const Gpsd& g, const std::string& where) {
    int checks = 0;
    if (const auto time = JsonString(g.tpv, "time")) {
        int year = 0;
        int month = 0;
        int day = 0;
        int hour = 0;
        int minute = 0;
        int second = 0;
        EXPECT_EQ(std::sscanf(time->c_str(), "%d-%d-%dT%d:%d:%d", &year, &month, &day, &hour,
                              &minute, &second),
                  6)
            << where;
        EXPECT_EQ(r.wYear, year) << where;
        EXPECT_EQ(r.bMonth, month) << where;
        EXPECT_EQ(r.bDay, day) << where;
        EXPECT_EQ(r.bHour, hour) << where;
        EXPECT_EQ(r.bMinute, minute) << where;
        EXPECT_EQ(r.bSecond, second) << where;
        ++checks;
    }
    const auto lat = JsonNumber(g.tpv, "lat");
    const auto lon = JsonNumber(g.tpv, "lon");
    if (lat && lon) {
        EXPECT_NEAR(r.lLatitude, std::fabs(*lat) * 3'600'000.0, 1.0) << where;
        EXPECT_EQ(r.cLatitudeHemisphere, *lat >= 0 ? 'N' : 'S') << where;
        EXPECT_NEAR(r.lLongitude, std::fabs(*lon) * 3'600'000.0, 1.0) << where;
        EXPECT_EQ(r.cLongitudeHemisphere, *lon >= 0 ? 'E' : 'W') << where;
        ++checks;
    }
    if (const auto alt = JsonNumber(g.tpv, "altMSL")) {
        EXPECT_LT(std::fabs(r.sHeight - *alt), 1.0) << where;
        ++checks;
    }
    if (const auto speed = JsonNumber(g.tpv, "speed")) {
        ExpectTenths(r.wSpeed, *speed * 3.6, 0.05, where + " speed");
        ++checks;
    }
    if (const auto track = JsonNumber(g.tpv, "track")) {
        ExpectTenths(r.wCourse, *track, 0.01, where + " course");
        ++checks;
    }
    const std::pair<std::uint8_t, const char*> dops[] = {
        {r.bPDOP, "pdop"}, {r.bHDOP, "hdop"}, {r.bVDOP, "vdop"}};
    for (const auto& [ours, key] : dops) {
        const auto theirs = JsonNumber(g.sky, key);
        if (theirs && ours < GPS_DOP_CAP) {
            ExpectTenths(ours, *theirs, 0.01, where + " " + key);
            ++checks;
        }
    }
    for (const GPS_SAT_INFO& sat : r.sat) {
        if (sat.bSatNo == 0) {
            continue;
        }
        const auto theirs = GpsdSatellite(g.skySatellites, sat.bSatNo);
        // gpsd leaves out satellites whose position is not known yet.
        if (!theirs && sat.bElevation == 0 && sat.wAzimuth == 0) {
            continue;
        }
        if (!theirs) {
            ADD_FAILURE() << where << ": satellite " << int{sat.bSatNo} << " unknown to gpsd";
            continue;
        }
        if (const auto el = JsonNumber(*theirs, "el")) {
            EXPECT_EQ(sat.bElevation, *el) << where << " PRN " << int{sat.bSatNo};
        }
        if (const auto az = JsonNumber(*theirs, "az")) {
            EXPECT_EQ(sat.wAzimuth, *az) << where << " PRN " << int{sat.bSatNo};
        }
        const auto ss = JsonNumber(*theirs, "ss");
        EXPECT_EQ(sat.bLevel, r.bSatUsed == 0 || !ss ? 0.0 : *ss)
            << where << " PRN " << int{sat.bSatNo};
        ++checks;
    }
    return checks;
}

TEST(NmeaLogReplay, AgreesWithGpsd) {
    // Logs whose receivers send GGA, GSA, GSV and RMC of one cycle in the
    // dispatcher's order, so that a record and gpsd's report describe the
    // same fix.
    const struct {
        const char* log;
        int minChecks;
    } logs[] = {
        {"nmea/telit-he910.log", 2600},
        {"nmea/bt-q818.log", 160},
        {"nmea/garmin-10x.log", 140},
        {"nmea/tr737A+.log", 95},
    };
    for (const auto& log : logs) {
        CGpsInfoParser parser;
        GPS_INFO info{};
        Gpsd gpsd;
        std::optional<GPS_INFO> pending;
        bool validFix = false;
        int checks = 0;
        int cycle = 0;
        const auto compare = [&] {
            // gpsd holds on to its last fix over a void RMC; compare only
            // cycles the receiver marked valid.
            if (pending && validFix) {
                checks += CompareWithGpsd(*pending, gpsd,
                                          std::string(log.log) + " cycle " + std::to_string(cycle));
                ++cycle;
            }
            pending.reset();
        };
        for (const std::string& line :
             nmea_test::SplitLines(nmea_test::ReadTestFile(std::string(log.log) + ".chk"))) {
            if (line.starts_with("{")) {
                if (line.find("\"class\":\"TPV\"") != std::string::npos) {
                    gpsd.tpv = line;
                } else if (line.find("\"class\":\"SKY\"") != std::string::npos) {
                    gpsd.sky = line;
                    if (line.find("\"satellites\"") != std::string::npos) {
                        gpsd.skySatellites = line;
                    }
                }
                continue;
            }
            // gpsd's report on a cycle is complete once the next sentence
            // starts.
            compare();
            if (line.starts_with("$GPRMC")) {
                CNmeaFields fields;
                fields.Split(line.data(), line.size());
                validFix = std::string_view(fields.Field(2)) == "A";
                parser.Dispatch(std::string(nmea_test::kPvsnsLine) + "\r", info);
            }
            if (parser.Dispatch(line + "\r", info)) {
                pending = info;
                info = GPS_INFO{};
            }
        }
        compare();
        EXPECT_GE(checks, log.minChecks) << log.log << " over " << cycle << " cycles";
    }
}

}  // namespace
