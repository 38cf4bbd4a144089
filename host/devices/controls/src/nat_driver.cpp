#include "host/controls/nat_driver.h"

namespace host::controls {

void NatDriver::DeclareKeys(unit::Schema::Table& table) {
    table.Integer("level", -0x80000000LL, 0x7FFFFFFF, [this](std::int64_t v) {
        std::lock_guard lock(mutex_);
        level_ = static_cast<std::int32_t>(v);
    });
}

unit::DriverResult NatDriver::IoControl(unit::DeviceOpen&, DWORD code, const void*, DWORD,
                                        void* out, DWORD outSize, DWORD* returned) {
    std::lock_guard lock(mutex_);
    codes_.push_back(code);
    switch (code) {
        case VESK_NAVATT_IOCTL_MUTE_OFF:
            level_ = 0;
            return unit::DriverResult::Ok();
        case VESK_NAVATT_IOCTL_MUTE_ON:
            level_ = 1;
            return unit::DriverResult::Ok();
        case VESK_NAVATT_IOCTL_GET_LEVEL:
            return unit::PutDword(static_cast<std::uint32_t>(level_), out, outSize, returned);
        default:
            return unit::DriverResult::Fail(platform::ERROR_NOT_SUPPORTED);
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

}  // namespace host::controls
