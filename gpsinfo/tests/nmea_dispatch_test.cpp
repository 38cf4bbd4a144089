#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gpsinfo/gps_info.h"
#include "gpsinfo/nmea_gps_info_parser.h"
#include "nmea_test_support.h"

namespace {

using nmea_test::ExactLine;

constexpr std::int32_t GGA = CNmeaParser::STATE_WAIT_GGA;
constexpr std::int32_t GSA = CNmeaParser::STATE_WAIT_GSA;
constexpr std::int32_t GSV = CNmeaParser::STATE_IN_GSV;
constexpr std::int32_t PVSNS = CNmeaParser::STATE_WAIT_PVSNS;
constexpr std::int32_t RMC = CNmeaParser::STATE_WAIT_RMC;

// One line fed to the dispatcher and what must follow.
struct Step {
    std::string line;  // a carriage return is appended
    std::int32_t state;
    bool completes = false;
};

struct Sequence {
    const char* name;
    std::vector<Step> steps;
};

const std::string kGga = "$GPGGA,145243.000,3401.9764,N,11744.8274,W,2,10,0.87,234.7,M,,M,,*5F";
const std::string kGsa = "$GPGSA,A,3,14,09,22,18,19,24,06,21,03,31,,,1.58,0.87,1.31*0D";
const std::string kGsv11 = "$GPGSV,1,1,01,14,86,335,41*7F";
const std::string kPvsns = "$PVSNS,A,,1.0,1000.0,,,1,1*00";
const std::string kRmc = "$GPRMC,145243.000,A,,,,,0.00,119.27,030610,,,D*70";

TEST(NmeaDispatch, StateTable) {
    const Sequence sequences[] = {
        {"a whole cycle",
         {{kGga, GSA}, {kGsa, GSV}, {kGsv11, PVSNS}, {kPvsns, RMC}, {kRmc, GGA, true}}},
        {"GSV group of three",
         {{kGga, GSA},
          {kGsa, GSV},
          {"$GPGSV,3,1,09,1,1,1,1", GSV},
          {"$GPGSV,3,2,09,2,2,2,2", GSV},
          {"$GPGSV,3,3,09,3,3,3,3", PVSNS},
          {"$GPGSV,3,3,09,3,3,3,3", PVSNS},
          {kPvsns, RMC},
          {kRmc, GGA, true}}},
        {"no GSV at all, or its end lost", {{kGga, GSA}, {kGsa, GSV}, {kPvsns, RMC}}},
        {"out of turn",
         {{kGsa, GGA},
          {kRmc, GGA},
          {kPvsns, GGA},
          {kGsv11, GGA},
          {kGga, GSA},
          {kGga, GSA},
          {kRmc, GSA},
          {kGsa, GSV},
          {kGga, GSV},
          {kRmc, GSV},
          {kGsv11, PVSNS},
          {kGsv11, PVSNS},
          {kRmc, PVSNS},
          {kPvsns, RMC},
          {kPvsns, RMC},
          {kGga, RMC},
          {kRmc, GGA, true}}},
        {"other talkers, wrong case, not at the start",
         {{"$gpgga,,,,", GGA},
          {"$GPGGa,,,,", GGA},
          {"$GNGGA,,,,", GGA},
          {"GPGGA,,,,", GGA},
          {" $GPGGA,,,,", GGA},
          {"\n$GPGGA,,,,", GGA},
          {"$GPGG", GGA},
          {"", GGA},
          {"$GPGGAX,,,,", GSA},
          {"$GPGSA", GSV},
          {"$pvsns", GSV},
          {"$GPGSV", GSV},
          {"$GPGSV,1", GSV},
          {"$GPGSV,1,", GSV},
          {"$PVSNS", RMC},
          {"$GNRMC,,", RMC},
          {"$GPRMC", GGA, true}}},
        {"sentences the dispatcher never takes",
         {{"$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48", GGA},
          {"$GPZDA,201530.00,04,07,2002,00,00*60", GGA},
          {"$PVGSA,3,05,07,,,,,,,a,b,c,d,1.5,13.0,e,f,g,Z", GGA}}},
    };
    for (const auto& sequence : sequences) {
        CGpsInfoParser parser;
        GPS_INFO info{};
        std::size_t n = 0;
        for (const Step& step : sequence.steps) {
            const ExactLine line(step.line + "\r");
            EXPECT_EQ(parser.Dispatch(line.data(), line.size(), info), step.completes)
                << sequence.name << ", step " << n << ": " << step.line;
            EXPECT_EQ(parser.GetState(), step.state)
                << sequence.name << ", step " << n << ": " << step.line;
            ++n;
        }
    }
}

TEST(NmeaDispatch, GsvGroupEndsOnlyOnDigitsInsideTheLine) {
    // Lines as a caller may pass them: cut short, or with the zero tail of
    // the assembler's buffer. Neither may end the group.
    const std::string lines[] = {
        "$GPGSV,1,",
        std::string("$GPGSV\r\0\0\0\0", 11),
        std::string("$GPGSV,\r\0\0\0", 11),
    };
    CGpsInfoParser parser;
    GPS_INFO info{};
    parser.Dispatch(kGga + "\r", info);
    parser.Dispatch(kGsa + "\r", info);
    for (const std::string& text : lines) {
        const ExactLine line(text);
        parser.Dispatch(line.data(), line.size(), info);
        EXPECT_EQ(parser.GetState(), GSV) << text;
    }
    parser.Dispatch("$GPGSV,1,1\r", info);
    EXPECT_EQ(parser.GetState(), PVSNS);
}

TEST(NmeaDispatch, IgnoredSentencesLeaveTheRecordAlone) {
    const char* const ignored[] = {
        "$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48",
        "$GPZDA,201530.00,04,07,2002,00,00*60",
        "$PVGSA,3,14,,,,,,,,a,b,c,d,1.5,13.0,e,f,g,Z",
    };
    CGpsInfoParser parser;
    GPS_INFO info{};
    const std::string prefix[] = {kGga, kGsa, kGsv11, kPvsns};
    // Walk through every state and offer each ignored sentence there.
    for (const std::string& next : prefix) {
        for (const char* line : ignored) {
            const GPS_INFO before = info;
            const std::int32_t state = parser.GetState();
            EXPECT_FALSE(parser.Dispatch(line, info));
            EXPECT_EQ(std::memcmp(&before, &info, sizeof info), 0) << line << " in state " << state;
            EXPECT_EQ(parser.GetState(), state);
        }
        parser.Dispatch(next + "\r", info);
    }
}

TEST(NmeaDispatch, BrokenCycleKeepsEarlierSentences) {
    // The GSA of the first cycle and the GSV end are lost: the dispatcher
    // keeps waiting, and the record joins sentences of two cycles.
    CGpsInfoParser parser;
    GPS_INFO info{};
    const std::string lines[] = {
        kGga,
        "$GPGGA,,3000.0,S,,,,5,,50.0,M",
        kGsa,
        "$GPGSV,2,1,02,14,86,335,41*7F",
        "$GPGGA,,1000.0,N",
        kPvsns,
        kRmc,
    };
    bool completed = false;
    for (const std::string& line : lines) {
        completed = parser.Dispatch(line + "\r", info);
    }
    ASSERT_TRUE(completed);
    EXPECT_EQ(info.lLatitude, 122518584);
    EXPECT_EQ(info.sHeight, 234);
    EXPECT_EQ(info.bPDOP, 15);
    EXPECT_EQ(info.sat[0].bSatNo, 14);
    EXPECT_EQ(info.sat[0].bLevel, 41);
    EXPECT_EQ(info.bDay, 3);
    EXPECT_EQ(info.wPressure, 10000);
}

TEST(NmeaDispatch, HostileLines) {
    // 300 characters, 60 fields, over-long fields, every byte value: the
    // dispatcher reads inside the given bytes only and keeps going.
    std::string sixty = "$GPGGA";
    for (int i = 1; i < 60; ++i) {
        sixty += ",1234567890123456789012345";
    }
    std::string everyByte = "$GPGSA,";
    for (int b = 1; b < 256; ++b) {
        everyByte += static_cast<char>(b);
        everyByte += ',';
    }
    const std::string lines[] = {
        std::string(300, 'A'),
        sixty,
        "$GPGGA," + std::string(300, '9'),
        everyByte,
        std::string("$GPGSV,2,2,\0\0\0", 14),
        "$GPGSV,4,4," + std::string(290, ','),
        "$PVSNS," + std::string(292, '7'),
        "$GPRMC," + std::string(200, '1') + "," + std::string(92, '.'),
    };
    CGpsInfoParser parser;
    GPS_INFO info{};
    int completed = 0;
    for (const std::string& text : lines) {
        const ExactLine line(text);
        completed += parser.Dispatch(line.data(), line.size(), info) ? 1 : 0;
    }
    EXPECT_FALSE(parser.Dispatch(nullptr, 10, info));
    EXPECT_EQ(completed, 1);
    EXPECT_EQ(parser.GetState(), GGA);
    // The 60-field GGA was taken, the 300-nines one after it was out of
    // turn. Its 19-digit count and height saturate, then keep low bits.
    EXPECT_EQ(info.bSatUsed, 255);
    EXPECT_EQ(info.sHeight, -1);
    // Latitude: 12 degrees plus saturated minutes, wrapped to 32 bits.
    EXPECT_EQ(info.lLatitude, -2104283649);
    // The RMC's date field 9 was never reached: the default date.
    EXPECT_EQ(info.wYear, 2003);
    EXPECT_EQ(info.bHour, 11);
}

}  // namespace
