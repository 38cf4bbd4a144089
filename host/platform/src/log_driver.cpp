#include "host/unit/log_driver.h"

namespace host::unit {

void LogDriver::DeclareKeys(Schema::Table& table) {
    table.Boolean("refuse", [this](bool v) { refuse_.store(v); });
    table.Integer("result", 1, 0x7FFFFFFF,
                  [this](std::int64_t v) { result_.store(static_cast<BOOL>(v)); });
}

DriverResult LogDriver::IoControl(DeviceOpen&, DWORD code, const void*, DWORD, void*, DWORD,
                                  DWORD*) {
    if (code != VESK_LOG_IOCTL_LOGGING_DISABLE) {
        return DriverResult::Fail(platform::ERROR_NOT_SUPPORTED);
    }
    if (refuse_.load()) {
        return DriverResult::Fail(platform::ERROR_ACCESS_DENIED);
    }
    stopped_.store(true);
    return DriverResult{result_.load(), platform::ERROR_SUCCESS};
}

}  // namespace host::unit
