// The serial calls on "COM7:": each goes to the port behind the handle.
#include "serial_port.h"
#include "win32_error.h"
#include "win32_kernel.h"

namespace win32::pc {

namespace {

template <class Call>
BOOL OnPort(const HandleTable& handles, platform::HANDLE h, Call call) {
    const auto port = handles.Find<SerialPort>(h);
    if (!port) {
        Fail(kBadHandle);
        return FALSE;
    }
    return call(*port);
}

}  // namespace

int Win32Kernel::Com7Waiting() {
    std::lock_guard lock(portsMutex_);
    const std::shared_ptr<SerialPort> port = com7_.lock();
    return port ? port->Waiting() : 0;
}

platform::BOOL Win32Kernel::GetCommState(platform::HANDLE h, platform::DCB* dcb) {
    return OnPort(handles_, h, [&](SerialPort& p) { return p.GetState(dcb); });
}

platform::BOOL Win32Kernel::SetCommState(platform::HANDLE h, const platform::DCB& dcb) {
    return OnPort(handles_, h, [&](SerialPort& p) { return p.SetState(dcb); });
}

platform::BOOL Win32Kernel::GetCommTimeouts(platform::HANDLE h, platform::COMMTIMEOUTS* timeouts) {
    return OnPort(handles_, h, [&](SerialPort& p) { return p.GetTimeouts(timeouts); });
}

platform::BOOL Win32Kernel::SetCommTimeouts(platform::HANDLE h,
                                            const platform::COMMTIMEOUTS& timeouts) {
    return OnPort(handles_, h, [&](SerialPort& p) { return p.SetTimeouts(timeouts); });
}

platform::BOOL Win32Kernel::SetCommMask(platform::HANDLE h, platform::DWORD mask) {
    return OnPort(handles_, h, [&](SerialPort& p) { return p.SetMask(mask); });
}

platform::BOOL Win32Kernel::WaitCommEvent(platform::HANDLE h, platform::DWORD* eventMask) {
    if (eventMask != nullptr) {
        *eventMask = 0;
    }
    return OnPort(handles_, h, [&](SerialPort& p) { return p.WaitEvent(eventMask); });
}

platform::BOOL Win32Kernel::ClearCommError(platform::HANDLE h, platform::DWORD* errors,
                                           platform::COMSTAT* status) {
    return OnPort(handles_, h, [&](SerialPort& p) { return p.ClearError(errors, status); });
}

}  // namespace win32::pc
