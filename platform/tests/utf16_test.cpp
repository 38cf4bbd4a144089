#include "platform/utf16.h"

#include <gtest/gtest.h>

#include <string>

namespace platform {
namespace {

std::wstring Units(std::initializer_list<unsigned> units) {
    std::wstring out;
    for (const unsigned u : units) {
        out.push_back(static_cast<wchar_t>(u));
    }
    return out;
}

TEST(Utf16Test, WellFormedTextConvertsBothWays) {
    struct Case {
        std::string utf8;
        std::wstring utf16;
    };
    const Case cases[] = {
        {"", Units({})},
        {"COM7", Units({'C', 'O', 'M', '7'})},
        {"\xC3\xA9\xE2\x82\xAC", Units({0xE9, 0x20AC})},
        {"\xF0\x9F\x98\x80", Units({0xD83D, 0xDE00})},
        {"\xEF\xBF\xBD", Units({0xFFFD})},  // U+FFFD written as itself
    };
    for (const Case& c : cases) {
        EXPECT_EQ(utf16::FromUtf8(c.utf8), c.utf16) << testing::PrintToString(c.utf8);
        EXPECT_EQ(utf16::FromUtf8Lossy(c.utf8), c.utf16);
        EXPECT_EQ(utf16::ToUtf8(c.utf16), c.utf8);
    }
}

TEST(Utf16Test, IllFormedPiecesRefuseANameAndReplaceInText) {
    struct Case {
        std::string utf8;
        std::wstring lossy;
    };
    const Case cases[] = {
        {"a\x80", Units({'a', 0xFFFD})},
        {"\xED\xA0\x80", Units({0xFFFD, 0xFFFD, 0xFFFD})},  // an encoded surrogate
        {"\xF0\x9F\x98", Units({0xFFFD})},                  // three bytes of four
        {"\xF0\x9F\x98"
         "b",
         Units({0xFFFD, 'b'})},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(utf16::FromUtf8(c.utf8), std::nullopt) << testing::PrintToString(c.utf8);
        EXPECT_EQ(utf16::FromUtf8Lossy(c.utf8), c.lossy) << testing::PrintToString(c.utf8);
    }
    EXPECT_EQ(utf16::ToUtf8(Units({'a', 0xD83D})), "a\xEF\xBF\xBD") << "unpaired high";
    EXPECT_EQ(utf16::ToUtf8(Units({0xDE00, 0xD83D, 'b'})),
              "\xEF\xBF\xBD\xEF\xBF\xBD"
              "b");
}

}  // namespace
}  // namespace platform
