#include <gtest/gtest.h>

#include <string>

#include "gpsinfo/gps_info.h"
#include "gpsinfo/gps_info_text.h"

namespace {

GPS_INFO KnownCycle() {
    GPS_INFO info{};
    info.wYear = 2006;
    info.bMonth = 10;
    info.bDay = 31;
    info.bDayOfWeek = 2;
    info.szDayOfWeek = {'T', 'U', 'E', '\0'};
    info.bHour = 12;
    info.bMinute = 34;
    info.bSecond = 56;
    info.lLatitude = 128227404;
    info.cLatitudeHemisphere = 'N';
    info.lLongitude = 503050000;
    info.cLongitudeHemisphere = 'W';
    info.sHeight = -12;
    info.wCourse = 1234;
    info.wSpeed = 185;
    info.bPDOP = 127;
    info.bHDOP = 9;
    info.bVDOP = GPS_DOP_NONE;
    info.wPressure = 10132;
    info.sGradient = -25;
    info.bDRStatus = 1;
    info.bCradle = 0;
    info.bFixMode = 3;
    info.bSatUsed = 7;
    info.sat[0] = {5, 40, 83, 0, 46};
    info.sat[2] = {17, 7, 344, 0, 0};
    info.sat[3] = {31, 89, 7, GPS_SAT_STATUS_LISTED, 99};
    info.sat[7] = {32, 1, 359, 0, 4};
    return info;
}

TEST(GpsInfoText, KnownCycleByteForByte) {
    EXPECT_EQ(FormatGpsInfo(KnownCycle()),
              "Date(UTC):31/10/2006 (TUE)   TIME:12:34:56\r\n"
              "N:35d 37m 07.404s    W:139d 44m 10.000s \r\n"
              "Hight: -12m   Dir:123.4deg  Speed: 18.5km/s\r\n"
              "PDOP:12.7   HDOP: 0.9   VDOP:----\r\n"
              "Pres:1013.2hPa   Grad:-2.5deg   DR OK   Cradle off\r\n"
              "MODE:3D fix   Number of satellites:7\r\n"
              "ID:05 Ele:40 Dir:083 Level:46 <************>\r\n"
              "ID:17 Ele:07 Dir:344 Level:00 <*>\r\n"
              "ID:31 Ele:89 Dir:007 Level:99 <***************>\r\n"
              "ID:32 Ele:01 Dir:359 Level:04 <**>\r\n");
}

TEST(GpsInfoText, FixModeAndDilutionPieces) {
    struct Row {
        std::uint8_t mode;
        std::uint8_t pdop, hdop, vdop;
        const char* line;  // the text from "PDOP" to the satellite count
    };
    const Row rows[] = {
        {0, GPS_DOP_NONE, GPS_DOP_NONE, GPS_DOP_NONE, "PDOP:----   HDOP:----   VDOP:----\r\nPres"},
        {1, 0, 255, 100, "PDOP: 0.0   HDOP:----   VDOP:10.0\r\nPres"},
        {2, 25, 13, 21, "PDOP: 2.5   HDOP: 1.3   VDOP: 2.1\r\nPres"},
    };
    for (const Row& r : rows) {
        GPS_INFO info = KnownCycle();
        info.bFixMode = r.mode;
        info.bPDOP = r.pdop;
        info.bHDOP = r.hdop;
        info.bVDOP = r.vdop;
        const std::string text = FormatGpsInfo(info);
        EXPECT_NE(text.find(r.line), std::string::npos) << text;
    }
    const struct {
        std::uint8_t mode;
        const char* text;
    } modes[] = {{0, "MODE:No fix   Number"}, {1, "MODE:No fix   Number"},
                 {2, "MODE:2D fix   Number"}, {3, "MODE:3D fix   Number"},
                 {4, "MODE:No fix   Number"}, {255, "MODE:No fix   Number"}};
    for (const auto& m : modes) {
        GPS_INFO info = KnownCycle();
        info.bFixMode = m.mode;
        EXPECT_NE(FormatGpsInfo(info).find(m.text), std::string::npos) << int{m.mode};
    }
}

TEST(GpsInfoText, StarBar) {
    const struct {
        std::uint8_t level;
        int stars;
    } rows[] = {{0, 1},   {3, 1},   {4, 2},   {7, 2},   {8, 3},   {51, 13},
                {52, 14}, {55, 14}, {56, 15}, {60, 15}, {99, 15}, {255, 15}};
    for (const auto& r : rows) {
        EXPECT_EQ(GpsStarCount(r.level), r.stars) << int{r.level};
    }
}

// An empty record still gives every line; a hemisphere letter that never
// came shows as a blank instead of ending the text.
TEST(GpsInfoText, EmptyRecord) {
    EXPECT_EQ(FormatGpsInfo(GPS_INFO{}),
              "Date(UTC):00/00/0000 ()   TIME:00:00:00\r\n"
              " : 0d 00m 00.000s     :  0d 00m 00.000s \r\n"
              "Hight:   0m   Dir:  0.0deg  Speed:  0.0km/s\r\n"
              "PDOP: 0.0   HDOP: 0.0   VDOP: 0.0\r\n"
              "Pres: 0.0hPa   Grad: 0.0deg   DR NG   Cradle off\r\n"
              "MODE:No fix   Number of satellites:0\r\n");
}

TEST(GpsInfoText, ReceiverTextIsWidened) {
    GPS_INFO info = KnownCycle();
    info.cLatitudeHemisphere = static_cast<char>(0xC9);  // É in Windows-1252
    const std::string text = FormatGpsInfo(info);
    EXPECT_NE(text.find("\r\n\xC3\x89:35d 37m"), std::string::npos) << text;
}

}  // namespace
