#include "unit/inf_driver.h"

namespace unit {

void InfDriver::DeclareKeys(Schema::Table& table) {
    table.Integer("major", 0, 0xFFFF, [this](std::int64_t v) {
        version_.store((static_cast<std::uint32_t>(v) << 16) | (version_.load() & 0xFFFFU));
    });
    table.Integer("minor", 0, 0xFFFF, [this](std::int64_t v) {
        version_.store((version_.load() & 0xFFFF0000U) | static_cast<std::uint32_t>(v));
    });
}

DriverResult InfDriver::IoControl(DeviceOpen&, DWORD code, const void*, DWORD, void* out,
                                  DWORD outSize, DWORD* returned) {
    if (code != kGetSystemVersion) {
        return DriverResult::Fail(platform::ERROR_NOT_SUPPORTED);
    }
    return PutDword(version_.load(), out, outSize, returned);
}

}  // namespace unit
