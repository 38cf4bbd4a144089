#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gpsinfo/gps_info.h"
#include "gpsinfo/nmea_gps_info_parser.h"
#include "pvsns.h"

namespace {

using host::gps1::BuildPvsns;
using host::gps1::NmeaChecksum;
using host::gps1::ParseTenths;
using host::gps1::PvsnsInserter;
using host::gps1::SensorValues;

TEST(Pvsns, ChecksumOfKnownSentences) {
    // Sentences as receivers send them, with the checksum they carry.
    EXPECT_EQ(NmeaChecksum("GPGGA,092750.000,5321.6802,N,00630.3372,W,1,8,1.03,61.7,M,55.2,M,,"),
              "76");
    EXPECT_EQ(NmeaChecksum("GPRMC,092750.000,A,5321.6802,N,00630.3372,W,0.02,31.66,280511,,,A"),
              "43");
    EXPECT_EQ(NmeaChecksum(""), "00");
}

TEST(Pvsns, SentenceCarriesItsOwnChecksum) {
    const std::string s = BuildPvsns({10132, -25, true, false});
    ASSERT_GE(s.size(), 6U);
    EXPECT_EQ(s.substr(0, 7), "$PVSNS,");
    EXPECT_EQ(s.substr(s.size() - 2), "\r\n");
    const auto star = s.find('*');
    ASSERT_NE(star, std::string::npos);
    EXPECT_EQ(s.substr(star + 1, 2), NmeaChecksum(s.substr(1, star - 1)));
}

// What the window's parser makes of the made-up sentence is exactly the
// configured values, over the whole range of the record's fields.
TEST(Pvsns, ParserReadsBackTheConfiguredValues) {
    const std::vector<SensorValues> rows = {
        {10132, 0, true, true},      {0, -1, false, false}, {65535, 32767, true, false},
        {9999, -32768, false, true}, {1, 15, true, true},   {7, -7, false, false},
    };
    for (const SensorValues& v : rows) {
        const std::string line = BuildPvsns(v);
        CGpsInfoParser parser;
        GPS_INFO info{};
        parser.ParsePVSNS(info, line.data(), line.size());
        EXPECT_EQ(info.wPressure, v.pressureTenths) << line;
        EXPECT_EQ(info.sGradient, v.gradientTenths) << line;
        EXPECT_EQ(info.bDRStatus != 0, v.deadReckoning) << line;
        EXPECT_EQ(info.bCradle != 0, v.cradle) << line;
    }
}

TEST(Pvsns, TenthsTexts) {
    struct Row {
        const char* text;
        bool ok;
        std::int32_t tenths;
    };
    const Row rows[] = {
        {"1013.2", true, 10132}, {"-1.5", true, -15}, {"+3", true, 30},   {"0.0", true, 0},
        {"-0.3", true, -3},      {"7", true, 70},     {"1.25", false, 0}, {"1.", false, 0},
        {".5", false, 0},        {"", false, 0},      {"abc", false, 0},  {"1x", false, 0},
        {"1.x", false, 0},       {"-", false, 0},
    };
    for (const Row& r : rows) {
        std::int32_t t = 12345;
        EXPECT_EQ(ParseTenths(r.text, &t), r.ok) << r.text;
        if (r.ok) {
            EXPECT_EQ(t, r.tenths) << r.text;
        }
    }
}

const std::string kMade = "$PVSNS,made*00\r\n";

std::string Insert(const std::vector<std::string>& chunks) {
    PvsnsInserter inserter([] { return kMade; });
    std::string out;
    for (const std::string& c : chunks) {
        out += inserter.Feed(c);
    }
    return out;
}

TEST(Pvsns, InsertsBeforeEachRmcOfAStreamWithoutIt) {
    const std::string in = "$GPGGA,1*00\r\n$GPRMC,1*00\r\n$GPGSV,1*00\r\n$GPRMC,2*00\r\n";
    EXPECT_EQ(Insert({in}), "$GPGGA,1*00\r\n" + kMade + "$GPRMC,1*00\r\n$GPGSV,1*00\r\n" + kMade +
                                "$GPRMC,2*00\r\n");
}

TEST(Pvsns, StreamWithItsOwnSentenceIsLeftAlone) {
    const std::string in =
        "$GPGGA,1*00\r\n$PVSNS,A,,1,2,,,1,1*00\r\n$GPRMC,1*00\r\n"
        "$GPGGA,2*00\r\n$PVSNS,A,,1,2,,,1,1*00\r\n$GPRMC,2*00\r\n";
    EXPECT_EQ(Insert({in}), in);
}

TEST(Pvsns, OnlyTagsAtALineStartCount) {
    // "$GPRMC" inside a line, a lower-case tag, another talker and a tag cut
    // short by the line's end are no sentence starts.
    const std::string in = "x$GPRMC,1\r\n$gprmc,2\r\n$GNRMC,3\r\n$GPRM\r\n$GPRMCX\r\n";
    EXPECT_EQ(Insert({in}),
              "x$GPRMC,1\r\n$gprmc,2\r\n$GNRMC,3\r\n$GPRM\r\n" + kMade + "$GPRMCX\r\n");
}

// However the stream is cut, the same bytes come out.
TEST(Pvsns, ChunkBoundariesChangeNothing) {
    const std::string in =
        "$GPGGA,1*00\r\n$GPRMC,1*00\r\n\n$GPRMC,2*00\r\n$PVSNS,3*00\r\n"
        "$GPRMC,3*00\r\n";
    const std::string whole = Insert({in});
    for (std::size_t cut1 = 0; cut1 <= in.size(); ++cut1) {
        for (std::size_t cut2 = cut1; cut2 <= in.size(); cut2 += 3) {
            EXPECT_EQ(Insert({in.substr(0, cut1), in.substr(cut1, cut2 - cut1), in.substr(cut2)}),
                      whole)
                << cut1 << " " << cut2;
        }
    }
    EXPECT_EQ(whole, "$GPGGA,1*00\r\n" + kMade + "$GPRMC,1*00\r\n\n" + kMade +
                         "$GPRMC,2*00\r\n$PVSNS,3*00\r\n$GPRMC,3*00\r\n");
}

}  // namespace
