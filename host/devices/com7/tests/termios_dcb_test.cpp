// The device control block on termios: every setting a DCB can ask for
// either comes back as set or is refused, leaving the line as it was.
#include <gtest/gtest.h>

#include <vector>

#include "termios_dcb.h"

namespace host::com7 {
namespace {

platform::DCB Line(platform::DWORD baud, platform::BYTE bits, platform::BYTE parity,
                   platform::BYTE stop) {
    platform::DCB dcb;
    dcb.BaudRate = baud;
    dcb.ByteSize = bits;
    dcb.Parity = parity;
    dcb.StopBits = stop;
    return dcb;
}

termios Raw() {
    termios t{};
    cfmakeraw(&t);
    cfsetspeed(&t, B9600);
    return t;
}

TEST(TermiosDcb, LineSettingsComeBackAsSet) {
    const std::vector<platform::DCB> lines = {
        Line(38400, 8, platform::NOPARITY, platform::ONESTOPBIT),
        Line(9600, 7, platform::EVENPARITY, platform::TWOSTOPBITS),
        Line(115200, 8, platform::ODDPARITY, platform::ONESTOPBIT),
        Line(4800, 6, MARKPARITY, platform::ONESTOPBIT),
        Line(921600, 8, SPACEPARITY, platform::TWOSTOPBITS),
        Line(110, 5, platform::NOPARITY, ONE5STOPBITS),
    };
    for (const auto& dcb : lines) {
        SCOPED_TRACE(::testing::Message() << dcb.BaudRate << " " << int{dcb.ByteSize} << " "
                                          << int{dcb.Parity} << " " << int{dcb.StopBits});
        termios t = Raw();
        ASSERT_TRUE(ApplyDcb(dcb, &t));
        const platform::DCB back = ReadDcb(t);
        EXPECT_EQ(back.BaudRate, dcb.BaudRate);
        EXPECT_EQ(back.ByteSize, dcb.ByteSize);
        EXPECT_EQ(back.Parity, dcb.Parity);
        EXPECT_EQ(back.StopBits, dcb.StopBits);
        EXPECT_NE(t.c_cflag & CREAD, 0U) << "the receiver stays on";
    }
}

TEST(TermiosDcb, SettingsWithoutATermiosFormAreRefused) {
    const std::vector<platform::DCB> refused = {
        Line(14400, 8, platform::NOPARITY, platform::ONESTOPBIT),  // no such speed here
        Line(0, 8, platform::NOPARITY, platform::ONESTOPBIT),
        Line(38400, 9, platform::NOPARITY, platform::ONESTOPBIT),
        Line(38400, 4, platform::NOPARITY, platform::ONESTOPBIT),
        Line(38400, 8, 5, platform::ONESTOPBIT),
        Line(38400, 8, platform::NOPARITY, ONE5STOPBITS),  // 1.5 only with 5 bits
        Line(38400, 8, platform::NOPARITY, 3),
    };
    for (const auto& dcb : refused) {
        SCOPED_TRACE(::testing::Message() << dcb.BaudRate << " " << int{dcb.ByteSize} << " "
                                          << int{dcb.Parity} << " " << int{dcb.StopBits});
        termios t = Raw();
        const termios before = t;
        EXPECT_FALSE(ApplyDcb(dcb, &t));
        EXPECT_EQ(t.c_cflag, before.c_cflag);
        EXPECT_EQ(cfgetospeed(&t), cfgetospeed(&before));
    }
}

}  // namespace
}  // namespace host::com7
