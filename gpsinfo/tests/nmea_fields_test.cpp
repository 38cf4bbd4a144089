#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gpsinfo/nmea_fields.h"
#include "nmea_test_support.h"

namespace {

using nmea_test::ExactLine;

std::vector<std::string> Fields(const CNmeaFields& fields) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < CNmeaFields::FIELD_COUNT; ++i) {
        out.emplace_back(fields.Field(i));
    }
    while (!out.empty() && out.back().empty()) {
        out.pop_back();
    }
    return out;
}

struct SplitCase {
    const char* name;
    std::string line;
    std::vector<std::string> fields;  // up to the last non-empty one
};

TEST(NmeaFieldsSplit, TableOfLines) {
    const std::string long25 = "ABCDEFGHIJKLMNOPQRSTUVWXY";
    const SplitCase cases[] = {
        {"plain", "$GPGSA,A,3,,04*1E\r\n", {"$GPGSA", "A", "3", "", "04*1E"}},
        {"stops at the carriage return", "$A,1\r,2", {"$A", "1"}},
        {"stops at a line feed", "$A,1\n,2", {"$A", "1"}},
        {"stops at a zero byte", std::string("$A,1\0,2", 7), {"$A", "1"}},
        {"no terminator", "$A,,3", {"$A", "", "3"}},
        {"empty line", "", {}},
        {"carriage return alone", "\r", {}},
        {"over-long field keeps 19 characters",
         "$A," + long25 + ",z",
         {"$A", long25.substr(0, 19), "z"}},
        {"binary bytes are kept", "$A,\x01\xff\x80,\t", {"$A", "\x01\xff\x80", "\t"}},
    };
    for (const auto& c : cases) {
        CNmeaFields fields;
        const ExactLine line(c.line);
        fields.Split(line.data(), line.size());
        EXPECT_EQ(Fields(fields), c.fields) << c.name;
    }
}

TEST(NmeaFieldsSplit, SixtyFieldsKeepTheFirstForty) {
    std::string line = "$T";
    for (int i = 1; i < 60; ++i) {
        line += "," + std::to_string(i);
    }
    CNmeaFields fields;
    const ExactLine exact(line);
    fields.Split(exact.data(), exact.size());
    EXPECT_STREQ(fields.Field(0), "$T");
    EXPECT_STREQ(fields.Field(39), "39");
    EXPECT_TRUE(fields.IsEmpty(40));
    EXPECT_STREQ(fields.Field(40), "");
}

TEST(NmeaFieldsSplit, LengthBoundsTheLine) {
    // Only the first five bytes are the line; the rest must not be seen.
    const std::string buffer = "$A,12,34\r";
    CNmeaFields fields;
    fields.Split(buffer.data(), 5);
    EXPECT_EQ(Fields(fields), (std::vector<std::string>{"$A", "12"}));
}

TEST(NmeaFieldsSplit, EachSplitStartsFromScratch) {
    CNmeaFields fields;
    const std::string first = "$A,aaaaaaaaaa,b,c,d\r";
    const std::string second = "$B,x\r";
    fields.Split(first.data(), first.size());
    fields.Split(second.data(), second.size());
    EXPECT_EQ(Fields(fields), (std::vector<std::string>{"$B", "x"}));
    EXPECT_EQ(fields.Field(1)[1], '\0');
    fields.Split(nullptr, 10);
    EXPECT_EQ(Fields(fields), std::vector<std::string>{});
}

TEST(NmeaFieldsIsEmpty, ByIndex) {
    CNmeaFields fields;
    const std::string line = "$A,,x,\r";
    fields.Split(line.data(), line.size());
    EXPECT_FALSE(fields.IsEmpty(0));
    EXPECT_TRUE(fields.IsEmpty(1));
    EXPECT_FALSE(fields.IsEmpty(2));
    EXPECT_TRUE(fields.IsEmpty(3));
    EXPECT_TRUE(fields.IsEmpty(39));
    EXPECT_TRUE(fields.IsEmpty(1000));
}

}  // namespace
