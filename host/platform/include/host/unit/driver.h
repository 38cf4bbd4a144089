// A stream driver of the unit ("PWM1:", "GPS1:", "COM7:" ...). The unit
// resolves a device name to its driver, checks presence and injected faults,
// and then calls the driver. Every call answers with ERROR_NOT_SUPPORTED
// unless the driver overrides it. Calls come from any thread at any time: a
// driver guards its own state.
#pragma once

#include <memory>

#include "platform/win_types.h"

namespace host::unit {

using platform::BOOL;
using platform::DWORD;

// What a driver call gives back: the BOOL the caller sees and, when that is
// FALSE, the last-error code set on the calling thread.
struct DriverResult {
    BOOL value = platform::TRUE;
    DWORD error = platform::ERROR_SUCCESS;

    static DriverResult Ok() { return {}; }
    static DriverResult Fail(DWORD code) { return {platform::FALSE, code}; }
};

// One CreateFile of a device. Drivers derive from it to keep state per open
// handle; it lives until the handle is closed and no call is still running.
class DeviceOpen {
  public:
    virtual ~DeviceOpen() = default;
    DWORD access = 0;
    DWORD share = 0;
};

class Driver {
  public:
    Driver() = default;
    Driver(const Driver&) = delete;
    Driver& operator=(const Driver&) = delete;
    virtual ~Driver() = default;

    // A new open context, or null with *error set.
    virtual std::shared_ptr<DeviceOpen> Open(DWORD access, DWORD share, DWORD* error);
    // What an open fails with while another open's share mode excludes it:
    // ERROR_SHARING_VIOLATION, as for a file; a serial port says
    // ERROR_ACCESS_DENIED.
    [[nodiscard]] virtual DWORD InUseError() const { return platform::ERROR_SHARING_VIOLATION; }
    // The handle was closed: a call still pending on it must return.
    virtual void Close(DeviceOpen& open);

    virtual DriverResult Read(DeviceOpen& open, void* buffer, DWORD toRead, DWORD* read);
    virtual DriverResult Write(DeviceOpen& open, const void* buffer, DWORD toWrite, DWORD* written);
    virtual DriverResult IoControl(DeviceOpen& open, DWORD code, const void* in, DWORD inSize,
                                   void* out, DWORD outSize, DWORD* returned);
    // A control code whose output is the device's stream of bytes (GPS1:'s
    // read request): the unit's traffic shows its output as read bytes too.
    [[nodiscard]] virtual bool ReadsThrough(DWORD /*code*/) const { return false; }

    virtual DriverResult GetCommState(DeviceOpen& open, platform::DCB* dcb);
    virtual DriverResult SetCommState(DeviceOpen& open, const platform::DCB& dcb);
    virtual DriverResult GetCommTimeouts(DeviceOpen& open, platform::COMMTIMEOUTS* timeouts);
    virtual DriverResult SetCommTimeouts(DeviceOpen& open, const platform::COMMTIMEOUTS& timeouts);
    virtual DriverResult SetCommMask(DeviceOpen& open, DWORD mask);
    virtual DriverResult WaitCommEvent(DeviceOpen& open, DWORD* eventMask);
    virtual DriverResult ClearCommError(DeviceOpen& open, DWORD* errors, platform::COMSTAT* status);
};

// Helpers for control codes with a 4-byte output.
DriverResult PutDword(std::uint32_t value, void* out, DWORD outSize, DWORD* returned);
DriverResult GetDword(const void* in, DWORD inSize, std::uint32_t* value);

}  // namespace host::unit
