// Outside text in the host's reports: control bytes escaped, text kept.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/unit/host_report.h"

namespace {

TEST(HostReport, ControlBytesAreEscapedAndTextIsKept) {
    struct EscapeCase {
        const char* name;
        std::string in;
        std::string out;
    };
    const std::vector<EscapeCase> cases = {
        {"plain text and a backslash", "GPS1: a\\b ~", "GPS1: a\\b ~"},
        {"a terminal escape", "\x1B[2J\x1B]0;title\x07", "\\x1B[2J\\x1B]0;title\\x07"},
        {"line ends and tabs", "a\tb\r\nc", "a\\tb\\r\\nc"},
        {"DEL and NUL", std::string("\x7F\0", 2), "\\x7F\\x00"},
        {"UTF-8 of two, three and four bytes", "\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\xA1",
         "\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\xA1"},
        {"a C1 control in UTF-8 (CSI)",
         "\xC2\x9B"
         "2J \xC2\xA0",
         "\\xC2\\x9B"
         "2J \xC2\xA0"},
        {"a lone C1 byte",
         "\x9B"
         "2J",
         "\\x9B"
         "2J"},
        {"cut short, overlong, a surrogate, beyond U+10FFFF",
         "\xC3 \xC0\xAF \xED\xA0\x80 \xF4\x90\x80\x80",
         "\\xC3 \\xC0\\xAF \\xED\\xA0\\x80 \\xF4\\x90\\x80\\x80"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(host::unit::EscapeControls(c.in), c.out);
        EXPECT_EQ(host::unit::EscapeControls(c.out), c.out) << "escaping again changes nothing";
    }
}

}  // namespace
