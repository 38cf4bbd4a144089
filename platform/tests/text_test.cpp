#include <gtest/gtest.h>

#include <string>

#include "platform/text.h"

namespace {

using platform::Format;
using platform::Trim;
using platform::WideLength;
using platform::WidenCodePage;

TEST(Format, ProducesLongAndShortTexts) {
    EXPECT_EQ(Format("SUM:0x%04X", 0x2aU), "SUM:0x002A");
    EXPECT_EQ(Format("%10lld|", 12345678901LL), "12345678901|");
    const std::string longText(1000, 'x');
    EXPECT_EQ(Format("<%s>", longText.c_str()), "<" + longText + ">");
}

struct WidenCase {
    std::string bytes;
    std::size_t max;
    std::string utf8;
};

TEST(WidenCodePage, TableOfCases) {
    const WidenCase cases[] = {
        {std::string("AB\0CD", 5), 5, "AB"},    // stops at the first zero byte
        {"ABCDE", 2, "AB"},                     // never reads past the count
        {"", 4, ""},                            // empty
        {"\xE9t\xE9", 3, "\xC3\xA9t\xC3\xA9"},  // é in Latin-1 range
        {"\x80", 1, "\xE2\x82\xAC"},            // euro sign
        {"\x81", 1, "\xC2\x81"},                // undefined slot keeps its code point
        {"\x9F", 1, "\xC5\xB8"},                // Ÿ
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WidenCodePage(c.bytes.data(), c.max), c.utf8) << "bytes " << c.bytes;
    }
}

TEST(WideLength, CountsUtf16Units) {
    EXPECT_EQ(WideLength(""), 0U);
    EXPECT_EQ(WideLength("abc"), 3U);
    EXPECT_EQ(WideLength("\xC3\xA9"), 1U);
    EXPECT_EQ(WideLength("\xE2\x82\xAC"), 1U);
    EXPECT_EQ(WideLength("\xF0\x9F\x98\x80"), 2U);
}

TEST(Trim, TakesBlanksAndCarriageReturnsOffBothEnds) {
    EXPECT_EQ(Trim(" \t tap 1 2\t \r"), "tap 1 2");
    EXPECT_EQ(Trim("\r\"a b\" "), "\"a b\"");
    EXPECT_EQ(Trim("a \t b"), "a \t b") << "inside stays";
    EXPECT_EQ(Trim(" \t\r "), "");
    EXPECT_EQ(Trim("\na\n"), "\na\n") << "line breaks are the splitter's";
}

}  // namespace
