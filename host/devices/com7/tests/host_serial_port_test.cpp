// COM7: mapped to a host serial device, over a pseudo-terminal pair: the
// line settings reach the terminal, bytes go both ways, events and the queue
// count work, and closing the handle ends a wait.
#include <gtest/gtest.h>
#include <termios.h>

#include <array>
#include <thread>

#include "host/com7/com7_component.h"
#include "host/unit/test_unit.h"
#include "platform/last_error.h"
#include "test_support/pty_pair.h"

namespace host::com7::test {
namespace {

using test_support::PtyPair;

using platform::DWORD;
using platform::HANDLE;

class HostSerialTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(pty_.ok());
        t_.Toml("[com]\ndevice = \"" + pty_.SlavePath() + "\"\n");
        ASSERT_TRUE(t_.Load()) << t_.error();
    }
    unit::VirtualUnit& U() { return t_.unit(); }
    HANDLE Open() {
        return U().CreateFile("COM7:", platform::GENERIC_READ | platform::GENERIC_WRITE, 0,
                              platform::OPEN_EXISTING, 0);
    }

    PtyPair pty_;
    unit::TestUnit t_{{Com7ComponentKind()}};
};

TEST_F(HostSerialTest, LineSettingsReachTheTerminal) {
    const HANDLE h = Open();
    ASSERT_NE(h, platform::INVALID_HANDLE_VALUE) << platform::GetLastError();
    platform::DCB dcb;
    ASSERT_TRUE(U().GetCommState(h, &dcb));
    dcb.BaudRate = 38400;
    dcb.ByteSize = 8;
    dcb.Parity = platform::NOPARITY;
    dcb.StopBits = platform::ONESTOPBIT;
    ASSERT_TRUE(U().SetCommState(h, dcb));

    const int slave = ::open(pty_.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio{};
    ASSERT_EQ(::tcgetattr(slave, &tio), 0);
    ::close(slave);
    EXPECT_EQ(cfgetospeed(&tio), B38400);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB), 0U);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0U) << "a binary line";

    dcb.BaudRate = 14400;  // no such rate on the host
    EXPECT_FALSE(U().SetCommState(h, dcb));
    EXPECT_EQ(platform::GetLastError(), platform::ERROR_INVALID_PARAMETER);
    platform::DCB back;
    ASSERT_TRUE(U().GetCommState(h, &back));
    EXPECT_EQ(back.BaudRate, 38400U);
    U().CloseHandle(h);
}

TEST_F(HostSerialTest, AReadReturnsWhatCameWhenTheLineGoesQuiet) {
    const HANDLE h = Open();
    ASSERT_NE(h, platform::INVALID_HANDLE_VALUE);
    ASSERT_TRUE(U().SetCommTimeouts(h, {50, 0, 0, 0, 0}));
    ASSERT_TRUE(pty_.Write({1, 2, 3}));
    std::array<std::uint8_t, 10> buffer{};
    DWORD read = 0;
    ASSERT_TRUE(U().ReadFile(h, buffer.data(), 10, &read));
    EXPECT_EQ(read, 3U);
    EXPECT_EQ(buffer[2], 3);
    U().CloseHandle(h);
}

TEST_F(HostSerialTest, ClosingTheHandleEndsAWaitWithInvalidHandle) {
    const HANDLE h = Open();
    ASSERT_NE(h, platform::INVALID_HANDLE_VALUE);
    ASSERT_TRUE(U().SetCommMask(h, platform::EV_RXCHAR));
    platform::BOOL result = platform::TRUE;
    DWORD error = 0;
    std::thread waiter([&] {
        DWORD events = 0;
        result = U().WaitCommEvent(h, &events);
        error = platform::GetLastError();
    });
    U().CloseHandle(h);
    waiter.join();
    EXPECT_FALSE(result);
    EXPECT_EQ(error, platform::ERROR_INVALID_HANDLE);
}

TEST(HostSerial, DevicesThatCannotServeAreRefused) {
    struct DeviceCase {
        const char* path;
        DWORD error;
    };
    const std::vector<DeviceCase> cases = {
        {"/nonexistent/ttyUSB9", platform::ERROR_FILE_NOT_FOUND},
        {"/dev/null", platform::ERROR_NOT_SUPPORTED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        unit::TestUnit t({Com7ComponentKind()});
        t.Toml(std::string("[com]\ndevice = \"") + c.path + "\"\n");
        ASSERT_TRUE(t.Load()) << t.error();
        EXPECT_EQ(t.unit().CreateFile("COM7:", platform::GENERIC_READ | platform::GENERIC_WRITE, 0,
                                      platform::OPEN_EXISTING, 0),
                  platform::INVALID_HANDLE_VALUE);
        EXPECT_EQ(platform::GetLastError(), c.error);
    }
}

}  // namespace
}  // namespace host::com7::test
