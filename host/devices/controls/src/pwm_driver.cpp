#include "host/controls/pwm_driver.h"

namespace host::controls {

void PwmDriver::DeclareKeys(unit::Schema::Table& table) {
    table.Integer("steps", 1, 1024, [this](std::int64_t v) {
        std::lock_guard lock(mutex_);
        steps_ = static_cast<std::int32_t>(v);
    });
    table.Integer("duty", 0, 1023, [this](std::int64_t v) {
        std::lock_guard lock(mutex_);
        duty_ = static_cast<std::int32_t>(v);
    });
    table.Integer("photo_level", 0, 4095,
                  [this](std::int64_t v) { SetPhotoLevel(static_cast<std::int32_t>(v)); });
    table.Boolean("automode", [this](bool v) {
        std::lock_guard lock(mutex_);
        automode_ = v;
    });
}

unit::DriverResult PwmDriver::IoControl(unit::DeviceOpen&, DWORD code, const void* in, DWORD inSize,
                                        void* out, DWORD outSize, DWORD* returned) {
    std::lock_guard lock(mutex_);
    switch (code) {
        case VESK_PWM_IOCTL_SET_AUTOMODE:
            if (in == nullptr || inSize < 1) {
                return unit::DriverResult::Fail(platform::ERROR_INVALID_PARAMETER);
            }
            automode_ = *static_cast<const std::uint8_t*>(in) != 0;
            return unit::DriverResult::Ok();
        case VESK_PWM_IOCTL_GET_MAX:
            return unit::PutDword(static_cast<std::uint32_t>(steps_), out, outSize, returned);
        case VESK_PWM_IOCTL_GET_DUTY:
            return unit::PutDword(static_cast<std::uint32_t>(duty_), out, outSize, returned);
        case VESK_PWM_IOCTL_SET_DUTY: {
            std::uint32_t raw = 0;
            if (auto r = unit::GetDword(in, inSize, &raw); r.value == platform::FALSE) {
                return r;
            }
            const auto value = static_cast<std::int32_t>(raw);
            dutyLog_.push_back(value);
            if (value < 0 || value >= steps_) {
                return unit::DriverResult::Fail(platform::ERROR_INVALID_PARAMETER);
            }
            duty_ = value;
            if (returned != nullptr) {
                *returned = 0;
            }
            return unit::DriverResult::Ok();
        }
        case VESK_PHOTOSENSOR_IOCTL_GET_LEVEL:
            return unit::PutDword(static_cast<std::uint32_t>(photoLevel_), out, outSize, returned);
        default:
            return unit::DriverResult::Fail(platform::ERROR_NOT_SUPPORTED);
    }
}

std::int32_t PwmDriver::Steps() const {
    std::lock_guard lock(mutex_);
    return steps_;
}
std::int32_t PwmDriver::Duty() const {
    std::lock_guard lock(mutex_);
    return duty_;
}
bool PwmDriver::Automode() const {
    std::lock_guard lock(mutex_);
    return automode_;
}
std::int32_t PwmDriver::PhotoLevel() const {
    std::lock_guard lock(mutex_);
    return photoLevel_;
}
void PwmDriver::SetPhotoLevel(std::int32_t level) {
    std::lock_guard lock(mutex_);
    photoLevel_ = level;
}
std::vector<std::int32_t> PwmDriver::DutyLog() const {
    std::lock_guard lock(mutex_);
    return dutyLog_;
}

}  // namespace host::controls
