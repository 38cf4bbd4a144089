#include "unit_power.h"

#include <algorithm>
#include <cstring>

#include "platform/last_error.h"

namespace host::unit {

platform::DWORD UnitPower::GetSystemPowerStatusEx2(platform::SYSTEM_POWER_STATUS_EX2* status,
                                                   platform::DWORD length,
                                                   platform::BOOL /*update*/) {
    if (status == nullptr || length == 0) {
        platform::SetLastError(platform::ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!available_.load()) {
        platform::SetLastError(platform::ERROR_NOT_SUPPORTED);
        return 0;
    }
    platform::SYSTEM_POWER_STATUS_EX2 s;
    s.ACLineStatus = acOnline_.load() ? 1 : 0;
    s.BatteryFlag = 1;  // high
    s.BatteryLifePercent = static_cast<platform::BYTE>(batteryPercent_.load());
    s.BatteryVoltage = static_cast<platform::DWORD>(batteryMv_.load());
    s.BatteryChemistry = 4;  // lithium-ion
    const platform::DWORD n = std::min<platform::DWORD>(length, sizeof s);
    std::memcpy(status, &s, n);
    return n;
}

}  // namespace host::unit
