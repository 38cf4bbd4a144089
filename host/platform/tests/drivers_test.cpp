#include <gtest/gtest.h>

#include <cstring>

#include "host/unit/dsk_driver.h"
#include "host/unit/nat_driver.h"
#include "host/unit/pwm_driver.h"
#include "host/unit/test_unit.h"
#include "platform/last_error.h"

namespace {

using namespace platform;

class DriversTest : public ::testing::Test {
  protected:
    void SetUp() override {
        t.Toml(R"(
[inf]
major = 1
minor = 2
[pwm]
steps = 10
duty = 3
photo_level = 512
[dsk]
identify = "03 53 44 53 44 30 31 47 80 12 34 56 78 00 62"
[nat]
level = 0
)");
        ASSERT_TRUE(t.Load()) << t.error();
    }

    struct Reply {
        BOOL ok;
        DWORD error;
        std::uint32_t value;
        DWORD returned;
    };

    Reply Ioctl(const char* device, DWORD code, const void* in, DWORD inSize, DWORD outSize = 4) {
        auto& u = t.unit();
        const HANDLE h = u.CreateFile(device, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0);
        EXPECT_NE(h, INVALID_HANDLE_VALUE);
        std::uint8_t out[8] = {};
        DWORD returned = 99;
        SetLastError(0);
        const BOOL ok = u.DeviceIoControl(h, code, in, inSize, outSize != 0 ? out : nullptr,
                                          outSize, &returned);
        const DWORD error = GetLastError();
        u.CloseHandle(h);
        std::uint32_t value = 0;
        std::memcpy(&value, out, 4);
        return {ok, error, value, returned};
    }

    host::unit::TestUnit t;
};

TEST_F(DriversTest, ControlCodesAnswerAsTheSystemRelies) {
    const std::int32_t duty = 9;
    const std::int32_t tooHigh = 10;
    const std::uint8_t automodeOff = 0;
    struct Case {
        const char* device;
        DWORD code;
        const void* in;
        DWORD inSize;
        DWORD outSize;
        BOOL ok;
        DWORD errorOrValue;
    } cases[] = {
        {"INF1:", 0, nullptr, 0, 4, TRUE, 0x00010002},
        {"INF1:", 0, nullptr, 0, 2, FALSE, ERROR_INSUFFICIENT_BUFFER},
        {"INF1:", 7, nullptr, 0, 4, FALSE, ERROR_NOT_SUPPORTED},
        {"PWM1:", 0x10, nullptr, 0, 4, TRUE, 10},
        {"PWM1:", 0x11, nullptr, 0, 4, TRUE, 3},
        {"PWM1:", 0x13, nullptr, 0, 4, TRUE, 512},
        {"PWM1:", 0x8002, &automodeOff, 1, 0, TRUE, 0},
        {"PWM1:", 0x8002, nullptr, 0, 0, FALSE, ERROR_INVALID_PARAMETER},
        {"PWM1:", 0x8011, &duty, 4, 0, TRUE, 0},
        {"PWM1:", 0x11, nullptr, 0, 4, TRUE, 9},
        {"PWM1:", 0x8011, &tooHigh, 4, 0, FALSE, ERROR_INVALID_PARAMETER},
        {"PWM1:", 0x11, nullptr, 0, 4, TRUE, 9},
        {"NAT1:", 2, nullptr, 0, 4, TRUE, 0},
        {"NAT1:", 1, nullptr, 0, 0, TRUE, 0},
        {"NAT1:", 2, nullptr, 0, 4, TRUE, 1},
        {"NAT1:", 0, nullptr, 0, 0, TRUE, 0},
        {"NAT1:", 2, nullptr, 0, 4, TRUE, 0},
    };
    int row = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "row " << row++ << " " << c.device << " 0x" << std::hex << c.code);
        const Reply r = Ioctl(c.device, c.code, c.in, c.inSize, c.outSize);
        EXPECT_EQ(r.ok, c.ok);
        if (c.ok == TRUE && c.outSize == 4) {
            EXPECT_EQ(r.value, c.errorOrValue);
            EXPECT_EQ(r.returned, 4U);
        } else if (c.ok == FALSE) {
            EXPECT_EQ(r.error, c.errorOrValue);
        }
    }
    auto& u = t.unit();
    EXPECT_FALSE(u.Pwm().Automode());
    EXPECT_EQ(u.Pwm().DutyLog(), (std::vector<std::int32_t>{9, 10}));
    EXPECT_EQ(u.Nat().CodeLog(), (std::vector<DWORD>{2, 1, 2, 0, 2}));
}

TEST_F(DriversTest, IdentifyRecordFillsAtMostTheCallersBuffer) {
    auto& u = t.unit();
    const HANDLE h = u.CreateFile("DSK1:", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0);
    std::uint8_t reply[80];
    std::memset(reply, 0xEE, sizeof reply);
    DWORD returned = 0;
    ASSERT_EQ(u.DeviceIoControl(h, 0x72000, nullptr, 0, reply, sizeof reply, &returned), TRUE);
    EXPECT_EQ(returned, 15U);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(reply) + 3, 5), "SD01G");
    EXPECT_EQ(reply[15], 0xEE) << "nothing past the record";
    std::uint8_t small[4] = {};
    ASSERT_EQ(u.DeviceIoControl(h, 0x72000, nullptr, 0, small, sizeof small, &returned), TRUE);
    EXPECT_EQ(returned, 4U);
    u.CloseHandle(h);
}

TEST_F(DriversTest, PhotoLevelChangesWhileTheUnitRuns) {
    EXPECT_EQ(Ioctl("PWM1:", 0x13, nullptr, 0).value, 512U);
    ASSERT_EQ(t.unit().Set("pwm.photo_level", "700"), std::nullopt);
    EXPECT_EQ(Ioctl("PWM1:", 0x13, nullptr, 0).value, 700U);
}

}  // namespace
