// The unit's power status as the platform reports it: battery and mains
// from unit.toml's [power] table, changeable while the unit runs.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/services.h"

namespace host::unit {

class UnitPower final : public platform::Power {
  public:
    // Copies at most length bytes of the status; 0 with the last error when
    // the unit reports none.
    platform::DWORD GetSystemPowerStatusEx2(platform::SYSTEM_POWER_STATUS_EX2* status,
                                            platform::DWORD length, platform::BOOL update) override;

    void SetAvailable(bool available) { available_.store(available); }
    void SetBatteryMv(std::int64_t mv) { batteryMv_.store(mv); }
    void SetBatteryPercent(std::int64_t percent) { batteryPercent_.store(percent); }
    void SetAcOnline(bool online) { acOnline_.store(online); }

  private:
    std::atomic<bool> available_{true};
    std::atomic<std::int64_t> batteryMv_{3900};
    std::atomic<std::int64_t> batteryPercent_{80};
    std::atomic<bool> acOnline_{false};
};

}  // namespace host::unit
