#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "fake_kernel.h"
#include "platform/services.h"
#include "rds/serial_port.h"

namespace {

class FixedClock : public platform::Clock {
  public:
    std::uint64_t now = 0;
    std::uint64_t NowMs() override { return now; }
};

// Every field of the device control block but the four line settings.
auto OtherFields(const platform::DCB& d) {
    return std::tie(d.DCBlength, d.fBinary, d.fParity, d.fOutxCtsFlow, d.fOutxDsrFlow,
                    d.fDtrControl, d.fDsrSensitivity, d.fTXContinueOnXoff, d.fOutX, d.fInX,
                    d.fErrorChar, d.fNull, d.fRtsControl, d.fAbortOnError, d.XonLim, d.XoffLim,
                    d.XonChar, d.XoffChar, d.ErrorChar, d.EofChar, d.EvtChar);
}

class PlatformPortTest : public ::testing::Test {
  protected:
    PlatformPortTest() : m_services(platform::Services{.kernel = &kernel, .clock = &clock}) {}

    FakeKernel kernel;
    FixedClock clock;
    RdsSerialPort& port = TheRdsSerialPort();

  private:
    platform::ScopedServices m_services;
};

TEST_F(PlatformPortTest, OpensComSevenExclusivelyForReadAndWrite) {
    EXPECT_EQ(port.Open(), FakeKernel::kPort);
    // GENERIC_READ | GENERIC_WRITE, no sharing, OPEN_EXISTING, no flags.
    EXPECT_EQ(kernel.opened, "COM7: 3221225472 0 3 0");
}

TEST_F(PlatformPortTest, LineSettingsChangeOnlyTheFourLineFields) {
    platform::DCB reported;
    reported.BaudRate = 9600;
    reported.ByteSize = 7;
    reported.Parity = platform::EVENPARITY;
    reported.StopBits = platform::TWOSTOPBITS;
    reported.fOutxCtsFlow = 1;
    reported.fRtsControl = 2;
    reported.fDtrControl = platform::DTR_CONTROL_ENABLE;
    reported.fOutX = 1;
    reported.XonLim = 512;
    reported.XonChar = 0x21;
    reported.EvtChar = 0x0A;
    kernel.reportedDcb = reported;

    port.ConfigureLine(FakeKernel::kPort);

    ASSERT_EQ(kernel.setDcbs.size(), 1U);
    const platform::DCB& set = kernel.setDcbs[0];
    EXPECT_EQ(set.BaudRate, 38400U);
    EXPECT_EQ(set.ByteSize, 8);
    EXPECT_EQ(set.Parity, platform::NOPARITY);
    EXPECT_EQ(set.StopBits, platform::ONESTOPBIT);
    EXPECT_EQ(OtherFields(set), OtherFields(reported));
}

TEST_F(PlatformPortTest, ReadTimeoutsKeepTheWriteValues) {
    kernel.reportedTimeouts = {1, 2, 3, 40, 500};
    port.SetReadTimeouts(FakeKernel::kPort);
    ASSERT_EQ(kernel.setTimeouts.size(), 1U);
    const platform::COMMTIMEOUTS& set = kernel.setTimeouts[0];
    EXPECT_EQ(set.ReadIntervalTimeout, 100U);
    EXPECT_EQ(set.ReadTotalTimeoutMultiplier, 100U);
    EXPECT_EQ(set.ReadTotalTimeoutConstant, 10U);
    EXPECT_EQ(set.WriteTotalTimeoutMultiplier, 40U);
    EXPECT_EQ(set.WriteTotalTimeoutConstant, 500U);
}

TEST_F(PlatformPortTest, QueuedBytesComeFromTheInputQueue) {
    kernel.queued = 37;
    platform::DWORD count = 0;
    EXPECT_TRUE(port.QueuedBytes(FakeKernel::kPort, &count));
    EXPECT_EQ(count, 37U);
    count = 99;
    EXPECT_FALSE(port.QueuedBytes(platform::INVALID_HANDLE_VALUE, &count));
    EXPECT_EQ(count, 0U);
    EXPECT_EQ(port.LastError(), platform::ERROR_INVALID_HANDLE);
}

TEST_F(PlatformPortTest, ClockIsTheLowWordOfTheMillisecondClock) {
    clock.now = 0x1'0000'0123ULL;
    EXPECT_EQ(port.Now(), 0x123U);
}

}  // namespace
