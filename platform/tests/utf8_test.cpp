#include "platform/utf8.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace platform {
namespace {

std::u32string Decode(std::string_view text) {
    std::u32string out;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t before = pos;
        out.push_back(utf8::Next(text, pos));
        EXPECT_GT(pos, before);
        EXPECT_LE(pos, text.size());
    }
    return out;
}

TEST(Utf8Test, DecodesWellFormedAndReplacesEachIllFormedPiece) {
    constexpr char32_t R = utf8::kReplacement;
    struct Case {
        std::string bytes;
        std::u32string expected;
    };
    const Case cases[] = {
        {"Ab", U"Ab"},
        {"\xC3\xA9", U"\u00E9"},
        {"\xE2\x82\xAC", U"\u20AC"},
        {"\xF0\x9F\x98\x80", U"\U0001F600"},
        {"\xF4\x8F\xBF\xBF", U"\U0010FFFF"},
        {"\x80", {R}},                       // lone continuation
        {"\xC0\x80", {R, R}},                // overlong NUL
        {"\xE0\x80\x80", {R, R, R}},         // overlong three-byte form
        {"\xED\xA0\x80", {R, R, R}},         // surrogate
        {"\xF4\x90\x80\x80", {R, R, R, R}},  // past U+10FFFF
        {"\xF5\x80", {R, R}},
        {"\xFF\xFE", {R, R}},
        {"\xE2\x82", {R}},  // cut short at the end
        {"\xE2\x82"
         "A",
         {R, U'A'}},  // cut short by a new character
        {"\xF0\x9F\x98"
         "\xC3\xA9",
         {R, U'\u00E9'}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Decode(c.bytes), c.expected) << testing::PrintToString(c.bytes);
    }
}

TEST(Utf8Test, EncodingDecodesBackForEveryLength) {
    for (const char32_t c : {U'\0', U'A', U'\u007F', U'\u0080', U'\u07FF', U'\u0800', U'\uFFFD',
                             U'\uFFFF', U'\U00010000', U'\U0001F600', U'\U0010FFFF'}) {
        std::string bytes;
        utf8::Append(bytes, c);
        EXPECT_EQ(Decode(bytes), std::u32string(1, c)) << static_cast<unsigned>(c);
    }
    std::string none;
    utf8::Append(none, 0x110000);
    EXPECT_EQ(none, "");
}

TEST(Utf8Test, GarbageAlwaysAdvancesAndStaysInBounds) {
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(static_cast<std::size_t>(random() % 12), '\0');
        for (char& b : bytes) {
            b = static_cast<char>(random() % 256);
        }
        // Every decoded character is a scalar value.
        for (const char32_t c : Decode(bytes)) {
            EXPECT_TRUE(c < 0xD800 || (c > 0xDFFF && c <= 0x10FFFF));
        }
    }
}

}  // namespace
}  // namespace platform
