// Every character the reports and the terminal escape, and some they must
// keep as they are: in an element, in an attribute (where a reader would
// make spaces of tab and line ends) and on the terminal.
#include "xml_text.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace program::detail {
namespace {

std::string Bytes(std::initializer_list<unsigned char> bytes) {
    return {bytes.begin(), bytes.end()};
}

TEST(XmlTextTest, EachCharacterIsEscapedAsItsPlaceNeeds) {
    struct Case {
        std::string text;
        std::string element;
        std::string attribute;
        std::string terminal;
    };
    const Case cases[] = {
        {"&", "&amp;", "&amp;", "&"},
        {"<", "&lt;", "&lt;", "<"},
        {">", "&gt;", "&gt;", ">"},
        {"\"", "&quot;", "&quot;", "\""},
        {"'", "&#39;", "&#39;", "'"},
        {"\t", "\t", "&#9;", "\\x09"},
        {"\n", "\n", "&#10;", "\\x0A"},
        {"\r", "&#13;", "&#13;", "\\x0D"},
        {std::string(1, '\0'), "\\x00", "\\x00", "\\x00"},
        {"\x01", "\\x01", "\\x01", "\\x01"},
        {"\x1b[2J", "\\x1B[2J", "\\x1B[2J", "\\x1B[2J"},
        {"\x7f", "\\x7F", "\\x7F", "\\x7F"},
        // C1 controls, and the characters that reorder the text around them.
        {"\xc2\x85", "\\xC2\\x85", "\\xC2\\x85", "\\xC2\\x85"},
        // (made of their bytes: in a literal they would be the trick they are)
        {Bytes({0xe2, 0x80, 0xaa}), R"(\xE2\x80\xAA)", R"(\xE2\x80\xAA)", R"(\xE2\x80\xAA)"},
        {"a" + Bytes({0xe2, 0x80, 0xae}) + "sk.ks", R"(a\xE2\x80\xAEsk.ks)",
         R"(a\xE2\x80\xAEsk.ks)", R"(a\xE2\x80\xAEsk.ks)"},
        {Bytes({0xe2, 0x81, 0xa6}), R"(\xE2\x81\xA6)", R"(\xE2\x81\xA6)", R"(\xE2\x81\xA6)"},
        {Bytes({0xe2, 0x81, 0xa9}), R"(\xE2\x81\xA9)", R"(\xE2\x81\xA9)", R"(\xE2\x81\xA9)"},
        // Not UTF-8: a stray byte, overlong, a surrogate, a non-character,
        // past U+10FFFF, cut short.
        {"caf\xe9", "caf\\xE9", "caf\\xE9", "caf\\xE9"},
        {"\xc0\xaf", "\\xC0\\xAF", "\\xC0\\xAF", "\\xC0\\xAF"},
        {"\xed\xa0\x80", "\\xED\\xA0\\x80", "\\xED\\xA0\\x80", "\\xED\\xA0\\x80"},
        {"\xef\xbf\xbe", "\\xEF\\xBF\\xBE", "\\xEF\\xBF\\xBE", "\\xEF\\xBF\\xBE"},
        {"\xf4\x90\x80\x80", "\\xF4\\x90\\x80\\x80", "\\xF4\\x90\\x80\\x80",
         "\\xF4\\x90\\x80\\x80"},
        {"\xe2\x82", "\\xE2\\x82", "\\xE2\\x82", "\\xE2\\x82"},
        // Kept: letters of any script, the marks that only hint a direction.
        {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80",
         "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"},
        {"\xe2\x80\x8f", "\xe2\x80\x8f", "\xe2\x80\x8f", "\xe2\x80\x8f"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(XmlText(c.text), c.element) << c.text;
        EXPECT_EQ(XmlAttribute(c.text), c.attribute) << c.text;
        EXPECT_EQ(Shown(c.text), c.terminal) << c.text;
    }
}

}  // namespace
}  // namespace program::detail
