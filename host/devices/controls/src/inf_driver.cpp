#include "host/controls/inf_driver.h"

namespace host::controls {

void InfDriver::DeclareKeys(unit::Schema::Table& table) {
    table.Integer("major", 0, 0xFFFF, [this](std::int64_t v) {
        version_.store(
            SystemVersionWord(static_cast<std::uint32_t>(v), SystemVersionMinor(version_.load())));
    });
    table.Integer("minor", 0, 0xFFFF, [this](std::int64_t v) {
        version_.store(
            SystemVersionWord(SystemVersionMajor(version_.load()), static_cast<std::uint32_t>(v)));
    });
}

unit::DriverResult InfDriver::IoControl(unit::DeviceOpen&, DWORD code, const void*, DWORD,
                                        void* out, DWORD outSize, DWORD* returned) {
    if (code != VESK_INFO_IOCTL_GET_SYSTEM_VERSION) {
        return unit::DriverResult::Fail(platform::ERROR_NOT_SUPPORTED);
    }
    return unit::PutDword(version_.load(), out, outSize, returned);
}

}  // namespace host::controls
