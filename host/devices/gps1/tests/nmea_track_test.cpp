#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "nmea_track.h"
#include "replay_plan.h"

namespace {

using host::gps1::ParseTrack;

TEST(NmeaTrack, CyclesFollowTheTimeTheSentencesCarry) {
    // A receiver whose cycle starts with RMC, logged with bare line feeds,
    // with a blank line and a line of noise in between.
    const std::string log =
        "$GPRMC,120000.00,A*00\n$GPGGA,120000.00,x*00\n$GPGSA,A,3*00\n\n"
        "garbage\n$GPRMC,120001.00,A*00\n$GPGGA,120001.00*00\n$GPGSV,1,1,00*00\n"
        "$GPRMC,120002.00*00\n";
    const auto track = ParseTrack(log);
    ASSERT_TRUE(track.has_value());
    const std::vector<std::string> expected = {
        "$GPRMC,120000.00,A*00\r\n$GPGGA,120000.00,x*00\r\n$GPGSA,A,3*00\r\n",
        "$GPRMC,120001.00,A*00\r\n$GPGGA,120001.00*00\r\n$GPGSV,1,1,00*00\r\n",
        "$GPRMC,120002.00*00\r\n",
    };
    EXPECT_EQ(track->cycles, expected);
}

TEST(NmeaTrack, UntimedSentencesStayWithTheCycleBeforeThem) {
    const std::string log =
        "$GPGSV,1,1,00*00\r\n$GPGGA,1*00\r\n$GPGSA*00\r\n$GPGLL,a,N,b,E,2*00\r\n"
        "$GPGSA*00\r\n";
    const auto track = ParseTrack(log);
    ASSERT_TRUE(track.has_value());
    ASSERT_EQ(track->cycles.size(), 2U);
    EXPECT_EQ(track->cycles[0], "$GPGSV,1,1,00*00\r\n$GPGGA,1*00\r\n$GPGSA*00\r\n");
    EXPECT_EQ(track->cycles[1], "$GPGLL,a,N,b,E,2*00\r\n$GPGSA*00\r\n");
}

TEST(NmeaTrack, WithoutTimesTheFirstTagStartsEachCycle) {
    const auto track = ParseTrack("$GPGSA,1\r\n$GPGSV,1\r\n$GPGSA,2\r\n$GPGSV,2\r\n");
    ASSERT_TRUE(track.has_value());
    EXPECT_EQ(track->cycles,
              (std::vector<std::string>{"$GPGSA,1\r\n$GPGSV,1\r\n", "$GPGSA,2\r\n$GPGSV,2\r\n"}));
}

TEST(NmeaTrack, NoSentenceIsNoTrack) {
    EXPECT_FALSE(ParseTrack("").has_value());
    EXPECT_FALSE(ParseTrack("hello\r\n\r\n \n").has_value());
    EXPECT_FALSE(ParseTrack(std::string("\0\0\xff", 3)).has_value());
}

TEST(ReplayPlan, ChunkSizesStayInRangeAndAddUp) {
    struct Row {
        std::size_t total, min, max;
    };
    for (const Row& r : {Row{700, 16, 128}, Row{5, 16, 128}, Row{1000, 1, 1}, Row{300, 128, 16},
                         Row{64, 0, 0}, Row{0, 3, 9}}) {
        host::gps1::ChunkSizer sizer;
        const auto sizes = sizer.Split(r.total, r.min, r.max);
        std::size_t sum = 0;
        const std::size_t lo = std::max<std::size_t>(1, std::min(r.min, r.max));
        const std::size_t hi = std::max(lo, std::max(r.min, r.max));
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            sum += sizes[i];
            EXPECT_LE(sizes[i], hi);
            if (i + 1 < sizes.size()) {
                EXPECT_GE(sizes[i], lo);
            }
        }
        EXPECT_EQ(sum, r.total);
    }
}

TEST(ReplayPlan, ArrivalFollowsTheLineSpeedWithinThePeriod) {
    // 96 bytes at 9600 baud take 100 ms.
    EXPECT_EQ(host::gps1::ArrivalOffsets({96, 96, 48}, 9600, 1000),
              (std::vector<std::uint64_t>{100, 200, 250}));
    // Too slow for the period: squeezed into its first nine tenths.
    const auto squeezed = host::gps1::ArrivalOffsets({480, 480}, 4800, 1000);
    EXPECT_EQ(squeezed, (std::vector<std::uint64_t>{450, 900}));
}

}  // namespace
