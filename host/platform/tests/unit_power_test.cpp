// The power status on its own: what the settings make of it, and the
// caller's buffer never written past the length it gives.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/last_error.h"
#include "unit_power.h"

namespace {

using namespace platform;

TEST(UnitPower, ReportsTheSettingsWithinTheCallersLength) {
    host::unit::UnitPower power;
    power.SetBatteryMv(3650);
    power.SetBatteryPercent(42);
    power.SetAcOnline(true);
    SYSTEM_POWER_STATUS_EX2 status;
    ASSERT_EQ(power.GetSystemPowerStatusEx2(&status, sizeof status, TRUE), sizeof status);
    EXPECT_EQ(status.BatteryVoltage, 3650U);
    EXPECT_EQ(status.BatteryLifePercent, 42);
    EXPECT_EQ(status.ACLineStatus, 1);

    // A caller that knows only the first bytes gets those and no more.
    alignas(SYSTEM_POWER_STATUS_EX2) unsigned char bytes[sizeof status + 4];
    std::memset(bytes, 0xAB, sizeof bytes);
    EXPECT_EQ(power.GetSystemPowerStatusEx2(
                  static_cast<SYSTEM_POWER_STATUS_EX2*>(static_cast<void*>(bytes)), 3, TRUE),
              3U);
    EXPECT_EQ(bytes[0], 1) << "ACLineStatus";
    EXPECT_EQ(bytes[2], 42) << "BatteryLifePercent";
    EXPECT_EQ(bytes[3], 0xAB);
}

TEST(UnitPower, NoStatusGivesZeroAndTheReason) {
    host::unit::UnitPower power;
    SYSTEM_POWER_STATUS_EX2 status;
    EXPECT_EQ(power.GetSystemPowerStatusEx2(nullptr, sizeof status, TRUE), 0U);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(power.GetSystemPowerStatusEx2(&status, 0, TRUE), 0U);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    power.SetAvailable(false);
    EXPECT_EQ(power.GetSystemPowerStatusEx2(&status, sizeof status, TRUE), 0U);
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
}

}  // namespace
