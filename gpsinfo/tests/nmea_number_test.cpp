#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

#include "gpsinfo/nmea_number.h"

namespace {

std::uint64_t Bits(double value) {
    return std::bit_cast<std::uint64_t>(value);
}

TEST(NmeaToDouble, MatchesStrtodBitForBit) {
    const char* const texts[] = {
        "",
        "0",
        "-0",
        "+0",
        "-0.0",
        "1.2*3F",
        "12.7",
        "13.0",
        "0.9",
        "37.1234",
        "0.1",
        ".5",
        "-.5",
        ".",
        "-",
        "+",
        "-.",
        "1.",
        "1.2.3",
        "  1.5",
        "\t-2",
        "+3.25",
        "--1",
        "1e3",
        "1E-2",
        "1e",
        "2.5e+",
        "0x1p3",
        "0X1A",
        "5x",
        "inf",
        "-INF",
        "nan",
        "nan(1)",
        "infinity",
        "*1F",
        "A",
        "12345678901234567890",
        "1234567890123456789",
        "9007199254740993",
        "9007199254740992",
        "0.0000000000000000001",
        "99999.99999",
        "1234567.891234567891",
        "0.30000000000000004",
        "4404.1295864",
    };
    for (const char* text : texts) {
        const double expected = std::strtod(text, nullptr);
        EXPECT_EQ(Bits(nmea::ToDouble(text)), Bits(expected)) << '"' << text << '"';
    }
}

TEST(NmeaToDouble, SweepOfPlainDecimalsMatchesStrtod) {
    // Fixed seed: the same texts every run.
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> intDigits(0, 9);
    std::uniform_int_distribution<int> fracDigits(0, 12);
    std::uniform_int_distribution<int> digit(0, 9);
    std::uniform_int_distribution<int> coin(0, 3);
    int mismatches = 0;
    for (int n = 0; n < 200000; ++n) {
        std::string text = coin(random) == 0 ? "-" : "";
        for (int i = intDigits(random); i > 0; --i) {
            text += static_cast<char>('0' + digit(random));
        }
        if (coin(random) != 0) {
            text += '.';
            for (int i = fracDigits(random); i > 0; --i) {
                text += static_cast<char>('0' + digit(random));
            }
        }
        if (coin(random) == 0) {
            text += "*7F";
        }
        if (Bits(nmea::ToDouble(text.c_str())) != Bits(std::strtod(text.c_str(), nullptr))) {
            ADD_FAILURE() << '"' << text << '"';
            if (++mismatches == 10) {
                return;
            }
        }
    }
}

TEST(NmeaToDouble, PrefixTakesOnlyTheFirstCharacters) {
    EXPECT_EQ(nmea::ToDoublePrefix("37.123456", 7), 37.1234);
    EXPECT_EQ(nmea::ToDoublePrefix("1.23*4F", 4), 1.23);
    EXPECT_EQ(nmea::ToDoublePrefix("12", 7), 12.0);
    EXPECT_EQ(nmea::ToDoublePrefix("123456789012345678901234", 100), 1234567890123456789.0);
    EXPECT_EQ(nmea::ToDoublePrefix(nullptr, 3), 0.0);
}

TEST(NmeaToInt, MatchesAtoiInRange) {
    const char* const texts[] = {
        "",
        "0",
        "7*3F",
        "-12",
        "+5",
        "  42",
        "\n\v\f\r 9",
        "0042",
        "12.9",
        "x1",
        "- 1",
        "--1",
        "2147483647",
        "-2147483648",
        "1e5",
        "0x10",
        ("\xff"
         "1"),  // one text: the split ends the hex escape before the 1
    };
    for (const char* text : texts) {
        EXPECT_EQ(nmea::ToInt(text), std::atoi(text)) << '"' << text << '"';
    }
}

TEST(NmeaToInt, OutOfRangeSaturates) {
    EXPECT_EQ(nmea::ToInt("2147483648"), INT_MAX);
    EXPECT_EQ(nmea::ToInt("9999999999999999999"), INT_MAX);
    EXPECT_EQ(nmea::ToInt("-2147483649"), INT_MIN);
    EXPECT_EQ(nmea::ToInt("-99999999999999999999999999"), INT_MIN);
    EXPECT_EQ(nmea::ToInt(nullptr), 0);
    EXPECT_EQ(nmea::ToIntPrefix("123456", 2), 12);
    EXPECT_EQ(nmea::ToIntPrefix("1", 2), 1);
    EXPECT_EQ(nmea::ToIntPrefix("-99999", 3), -99);
}

TEST(NmeaTruncate, TowardZeroAndSaturating) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    const struct {
        double value;
        std::int32_t expected;
    } cases[] = {
        {1.9, 1},
        {-1.9, -1},
        {0.0, 0},
        {-0.0, 0},
        {2147483647.9, INT32_MAX},
        {2147483648.0, INT32_MAX},
        {-2147483648.9, INT32_MIN},
        {-2147483649.0, INT32_MIN},
        {1e300, INT32_MAX},
        {-1e300, INT32_MIN},
        {kInf, INT32_MAX},
        {-kInf, INT32_MIN},
        {std::nan(""), 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(nmea::Truncate(c.value), c.expected) << c.value;
    }
}

}  // namespace
