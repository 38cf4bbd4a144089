#include "host/controls/dsk_driver.h"

#include <algorithm>
#include <cstring>

namespace host::controls {

void DskDriver::DeclareKeys(unit::Schema::Table& table) {
    table.Bytes("identify", kStorageReplyBytes, [this](const std::vector<std::uint8_t>& bytes) {
        std::lock_guard lock(mutex_);
        identify_ = bytes;
    });
}

unit::DriverResult DskDriver::IoControl(unit::DeviceOpen&, DWORD code, const void*, DWORD,
                                        void* out, DWORD outSize, DWORD* returned) {
    if (code != kIdentifyCode) {
        return unit::DriverResult::Fail(platform::ERROR_NOT_SUPPORTED);
    }
    if (out == nullptr) {
        return unit::DriverResult::Fail(platform::ERROR_INVALID_PARAMETER);
    }
    std::lock_guard lock(mutex_);
    const std::size_t n = std::min<std::size_t>(outSize, identify_.size());
    if (n > 0) {
        std::memcpy(out, identify_.data(), n);
    }
    if (returned != nullptr) {
        *returned = static_cast<DWORD>(n);
    }
    return unit::DriverResult::Ok();
}

std::vector<std::uint8_t> DskDriver::Identify() const {
    std::lock_guard lock(mutex_);
    return identify_;
}

}  // namespace host::controls
