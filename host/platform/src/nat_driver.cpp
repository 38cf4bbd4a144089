#include "host/unit/nat_driver.h"

namespace host::unit {

void NatDriver::DeclareKeys(Schema::Table& table) {
    table.Integer("level", -0x80000000LL, 0x7FFFFFFF, [this](std::int64_t v) {
        std::lock_guard lock(mutex_);
        level_ = static_cast<std::int32_t>(v);
    });
}

DriverResult NatDriver::IoControl(DeviceOpen&, DWORD code, const void*, DWORD, void* out,
                                  DWORD outSize, DWORD* returned) {
    std::lock_guard lock(mutex_);
    codes_.push_back(code);
    switch (code) {
        case VESK_NAVATT_IOCTL_MUTE_OFF:
            level_ = 0;
            return DriverResult::Ok();
        case VESK_NAVATT_IOCTL_MUTE_ON:
            level_ = 1;
            return DriverResult::Ok();
        case VESK_NAVATT_IOCTL_GET_LEVEL:
            return PutDword(static_cast<std::uint32_t>(level_), out, outSize, returned);
        default:
            return DriverResult::Fail(platform::ERROR_NOT_SUPPORTED);
    }
}

std::int32_t NatDriver::Level() const {
    std::lock_guard lock(mutex_);
    return level_;
}

std::vector<DWORD> NatDriver::CodeLog() const {
    std::lock_guard lock(mutex_);
    return codes_;
}

}  // namespace host::unit
