// The battery and mains status.
#pragma once

#include <cstddef>

#include "platform/win_types.h"

namespace platform {

inline constexpr BYTE BATTERY_FLAG_UNKNOWN = 0xFF;

struct SYSTEM_POWER_STATUS_EX2 {
    BYTE ACLineStatus = 0;
    BYTE BatteryFlag = BATTERY_FLAG_UNKNOWN;
    BYTE BatteryLifePercent = 0xFF;
    BYTE Reserved1 = 0;
    DWORD BatteryLifeTime = 0xFFFFFFFFU;
    DWORD BatteryFullLifeTime = 0xFFFFFFFFU;
    BYTE Reserved2 = 0;
    BYTE BackupBatteryFlag = BATTERY_FLAG_UNKNOWN;
    BYTE BackupBatteryLifePercent = 0xFF;
    BYTE Reserved3 = 0;
    DWORD BackupBatteryLifeTime = 0xFFFFFFFFU;
    DWORD BackupBatteryFullLifeTime = 0xFFFFFFFFU;
    DWORD BatteryVoltage = 0;  // millivolts
    DWORD BatteryCurrent = 0;
    DWORD BatteryAverageCurrent = 0;
    DWORD BatteryAverageInterval = 0;
    DWORD BatterymAHourConsumed = 0;
    DWORD BatteryTemperature = 0;
    DWORD BackupBatteryVoltage = 0;
    BYTE BatteryChemistry = 0;
};
// A caller names the length it knows and gets the record's bytes up to it,
// so the layout is the unit's, at every word size.
static_assert(sizeof(SYSTEM_POWER_STATUS_EX2) == 56);
static_assert(offsetof(SYSTEM_POWER_STATUS_EX2, BatteryLifeTime) == 4);
static_assert(offsetof(SYSTEM_POWER_STATUS_EX2, BackupBatteryLifeTime) == 16);
static_assert(offsetof(SYSTEM_POWER_STATUS_EX2, BatteryVoltage) == 24);
static_assert(offsetof(SYSTEM_POWER_STATUS_EX2, BatteryChemistry) == 52);

class Power {
  public:
    virtual ~Power() = default;
    // Returns the number of bytes filled, 0 when the status is unavailable.
    virtual DWORD GetSystemPowerStatusEx2(SYSTEM_POWER_STATUS_EX2* status, DWORD length,
                                          BOOL update) = 0;
};

}  // namespace platform
