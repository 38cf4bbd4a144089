#include <gtest/gtest.h>

#include <cstring>

#include "host/controls/controls_component.h"
#include "host/controls/log_driver.h"
#include "host/controls/nat_driver.h"
#include "host/controls/pwm_driver.h"
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

    host::unit::TestUnit t{host::controls::ControlKinds()};
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
    EXPECT_FALSE(host::controls::PwmOf(u)->Automode());
    EXPECT_EQ(host::controls::PwmOf(u)->DutyLog(), (std::vector<std::int32_t>{9, 10}));
    EXPECT_EQ(host::controls::NatOf(u)->CodeLog(), (std::vector<DWORD>{2, 1, 2, 0, 2}));
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

TEST_F(DriversTest, LogDriverStopsRefusesOrFails) {
    auto& u = t.unit();
    auto disable = [&u]() {
        const HANDLE h = u.CreateFile("LOG1:", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0);
        const BOOL r = u.DeviceIoControl(h, 1, nullptr, 0, nullptr, 0, nullptr);
        const DWORD e = GetLastError();
        u.CloseHandle(h);
        SetLastError(e);
        return r;
    };
    ASSERT_EQ(u.Set("log.refuse", "true"), std::nullopt);
    EXPECT_EQ(disable(), FALSE);
    EXPECT_FALSE(host::controls::LogOf(u)->LoggingStopped());
    ASSERT_EQ(u.Set("log.refuse", "false"), std::nullopt);
    ASSERT_EQ(u.Set("log.result", "2"), std::nullopt);
    EXPECT_EQ(disable(), 2) << "non-zero but not exactly TRUE";
    ASSERT_EQ(u.Set("log.result", "1"), std::nullopt);
    EXPECT_EQ(disable(), TRUE);
    EXPECT_TRUE(host::controls::LogOf(u)->LoggingStopped());
}

// A unit has the control devices it is loaded with, no others: the
// table of a kind left out is unknown and its device is not there.
TEST(ControlKinds, EachBringsItsOwnDeviceAndTableOnly) {
    const struct {
        host::unit::ComponentKind kind;
        const char* device;
    } kinds[] = {
        {host::controls::LogComponentKind(), "LOG1:"},
        {host::controls::InfComponentKind(), "INF1:"},
        {host::controls::PwmComponentKind(), "PWM1:"},
        {host::controls::DskComponentKind(), "DSK1:"},
        {host::controls::NatComponentKind(), "NAT1:"},
    };
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.kind.name);
        host::unit::TestUnit t({k.kind});
        t.Toml("[" + k.kind.name + "]\nabsent = false\n");
        ASSERT_TRUE(t.Load()) << t.error();
        for (const auto& other : kinds) {
            EXPECT_EQ(t.unit().DevicePresent(other.device), other.device == k.device)
                << other.device;
            EXPECT_EQ(t.unit().FindComponent(other.kind.name) != nullptr, other.device == k.device);
        }
        host::unit::TestUnit without;
        without.Toml("[" + k.kind.name + "]\nabsent = false\n");
        ASSERT_FALSE(without.Load());
        EXPECT_NE(without.error().find("unknown table"), std::string::npos) << without.error();
    }
    host::unit::TestUnit none;
    ASSERT_TRUE(none.Load()) << none.error();
    EXPECT_EQ(host::controls::PwmOf(none.unit()), nullptr);
    EXPECT_EQ(host::controls::LogOf(none.unit()), nullptr);
}

}  // namespace
