#include "host/unit/driver.h"

#include <cstring>

namespace host::unit {

using platform::ERROR_INSUFFICIENT_BUFFER;
using platform::ERROR_INVALID_PARAMETER;
using platform::ERROR_NOT_SUPPORTED;

std::shared_ptr<DeviceOpen> Driver::Open(DWORD access, DWORD share, DWORD* /*error*/) {
    auto open = std::make_shared<DeviceOpen>();
    open->access = access;
    open->share = share;
    return open;
}

void Driver::Close(DeviceOpen& /*open*/) {}

DriverResult Driver::Read(DeviceOpen&, void*, DWORD, DWORD*) {
    return DriverResult::Fail(ERROR_NOT_SUPPORTED);
}
DriverResult Driver::Write(DeviceOpen&, const void*, DWORD, DWORD*) {
    return DriverResult::Fail(ERROR_NOT_SUPPORTED);
}
DriverResult Driver::IoControl(DeviceOpen&, DWORD, const void*, DWORD, void*, DWORD, DWORD*) {
    return DriverResult::Fail(ERROR_NOT_SUPPORTED);
}
DriverResult Driver::GetCommState(DeviceOpen&, platform::DCB*) {
    return DriverResult::Fail(ERROR_NOT_SUPPORTED);
}
DriverResult Driver::SetCommState(DeviceOpen&, const platform::DCB&) {
    return DriverResult::Fail(ERROR_NOT_SUPPORTED);
}
DriverResult Driver::GetCommTimeouts(DeviceOpen&, platform::COMMTIMEOUTS*) {
    return DriverResult::Fail(ERROR_NOT_SUPPORTED);
}
DriverResult Driver::SetCommTimeouts(DeviceOpen&, const platform::COMMTIMEOUTS&) {
    return DriverResult::Fail(ERROR_NOT_SUPPORTED);
}
DriverResult Driver::SetCommMask(DeviceOpen&, DWORD) {
    return DriverResult::Fail(ERROR_NOT_SUPPORTED);
}
DriverResult Driver::WaitCommEvent(DeviceOpen&, DWORD*) {
    return DriverResult::Fail(ERROR_NOT_SUPPORTED);
}
DriverResult Driver::ClearCommError(DeviceOpen&, DWORD*, platform::COMSTAT*) {
    return DriverResult::Fail(ERROR_NOT_SUPPORTED);
}

DriverResult PutDword(std::uint32_t value, void* out, DWORD outSize, DWORD* returned) {
    if (out == nullptr) {
        return DriverResult::Fail(ERROR_INVALID_PARAMETER);
    }
    if (outSize < sizeof value) {
        return DriverResult::Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(out, &value, sizeof value);
    if (returned != nullptr) {
        *returned = sizeof value;
    }
    return DriverResult::Ok();
}

DriverResult GetDword(const void* in, DWORD inSize, std::uint32_t* value) {
    if (in == nullptr || inSize < sizeof *value) {
        return DriverResult::Fail(ERROR_INVALID_PARAMETER);
    }
    std::memcpy(value, in, sizeof *value);
    return DriverResult::Ok();
}

}  // namespace host::unit
