#include "host/unit/inf_driver.h"

namespace host::unit {

void InfDriver::DeclareKeys(Schema::Table& table) {
    table.Integer("major", 0, 0xFFFF, [this](std::int64_t v) {
        version_.store(
            SystemVersionWord(static_cast<std::uint32_t>(v), SystemVersionMinor(version_.load())));
    });
    table.Integer("minor", 0, 0xFFFF, [this](std::int64_t v) {
        version_.store(
            SystemVersionWord(SystemVersionMajor(version_.load()), static_cast<std::uint32_t>(v)));
    });
}

DriverResult InfDriver::IoControl(DeviceOpen&, DWORD code, const void*, DWORD, void* out,
                                  DWORD outSize, DWORD* returned) {
    if (code != VESK_INFO_IOCTL_GET_SYSTEM_VERSION) {
        return DriverResult::Fail(platform::ERROR_NOT_SUPPORTED);
    }
    return PutDword(version_.load(), out, outSize, returned);
}

}  // namespace host::unit
