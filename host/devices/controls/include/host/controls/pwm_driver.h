// "PWM1:" (devices/pwm1.h): backlight duty and photo sensor. The driver
// keeps the duty, the automatic mode and every value a caller tried to set.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "devices/pwm1.h"
#include "host/unit/driver.h"
#include "host/unit/schema.h"

namespace host::controls {

using unit::DWORD;

class PwmDriver final : public unit::Driver {
  public:
    // pwm.steps, pwm.duty, pwm.photo_level, pwm.automode.
    void DeclareKeys(unit::Schema::Table& table);

    unit::DriverResult IoControl(unit::DeviceOpen& open, DWORD code, const void* in, DWORD inSize,
                                 void* out, DWORD outSize, DWORD* returned) override;

    [[nodiscard]] std::int32_t Steps() const;
    [[nodiscard]] std::int32_t Duty() const;
    [[nodiscard]] bool Automode() const;
    [[nodiscard]] std::int32_t PhotoLevel() const;
    void SetPhotoLevel(std::int32_t level);
    // Every value received by the set-duty code, in order, accepted or not.
    [[nodiscard]] std::vector<std::int32_t> DutyLog() const;

  private:
    mutable std::mutex mutex_;
    std::int32_t steps_ = 10;
    std::int32_t duty_ = 5;
    std::int32_t photoLevel_ = 512;
    bool automode_ = true;
    std::vector<std::int32_t> dutyLog_;
};

}  // namespace host::controls
