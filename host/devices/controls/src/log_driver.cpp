#include "host/controls/log_driver.h"

namespace host::controls {

void LogDriver::DeclareKeys(unit::Schema::Table& table) {
    table.Boolean("refuse", [this](bool v) { refuse_.store(v); });
    table.Integer("result", 1, 0x7FFFFFFF,
                  [this](std::int64_t v) { result_.store(static_cast<BOOL>(v)); });
}

unit::DriverResult LogDriver::IoControl(unit::DeviceOpen&, DWORD code, const void*, DWORD, void*,
                                        DWORD, DWORD*) {
    if (code != VESK_LOG_IOCTL_LOGGING_DISABLE) {
        return unit::DriverResult::Fail(platform::ERROR_NOT_SUPPORTED);
    }
    if (refuse_.load()) {
        return unit::DriverResult::Fail(platform::ERROR_ACCESS_DENIED);
    }
    stopped_.store(true);
    return unit::DriverResult{result_.load(), platform::ERROR_SUCCESS};
}

}  // namespace host::controls
