#include "host/com7/com7_driver.h"

namespace host::com7 {

namespace {

// An open of either port, with the port that made it.
struct RoutedOpen final : unit::DeviceOpen {
    unit::Driver* port = nullptr;
    std::shared_ptr<unit::DeviceOpen> inner;
    bool closed = false;  // under the driver's mutex
};

RoutedOpen& Routed(unit::DeviceOpen& open) {
    return static_cast<RoutedOpen&>(open);
}

}  // namespace

Com7Driver::Com7Driver(unit::Scheduler& scheduler)
    : simulated_(std::make_shared<SimulatedPort>(scheduler)),
      host_(std::make_shared<HostSerialPort>(scheduler)) {}

std::shared_ptr<unit::DeviceOpen> Com7Driver::Open(platform::DWORD access, platform::DWORD share,
                                                   platform::DWORD* error) {
    std::lock_guard lock(mutex_);
    if (open_) {
        *error = platform::ERROR_ACCESS_DENIED;
        return nullptr;
    }
    unit::Driver* port = host_->Device().empty() ? static_cast<unit::Driver*>(simulated_.get())
                                                 : static_cast<unit::Driver*>(host_.get());
    auto inner = port->Open(access, share, error);
    if (!inner) {
        return nullptr;
    }
    auto open = std::make_shared<RoutedOpen>();
    open->access = access;
    open->share = share;
    open->port = port;
    open->inner = std::move(inner);
    open_ = true;
    return open;
}

platform::DWORD Com7Driver::InUseError() const {
    return platform::ERROR_ACCESS_DENIED;
}

void Com7Driver::Close(unit::DeviceOpen& open) {
    RoutedOpen& r = Routed(open);
    {
        std::lock_guard lock(mutex_);
        if (r.closed) {
            return;
        }
        r.closed = true;
        open_ = false;
    }
    r.port->Close(*r.inner);
}

unit::DriverResult Com7Driver::Read(unit::DeviceOpen& open, void* buffer, platform::DWORD toRead,
                                    platform::DWORD* read) {
    RoutedOpen& r = Routed(open);
    return r.port->Read(*r.inner, buffer, toRead, read);
}

unit::DriverResult Com7Driver::Write(unit::DeviceOpen& open, const void* buffer,
                                     platform::DWORD toWrite, platform::DWORD* written) {
    RoutedOpen& r = Routed(open);
    return r.port->Write(*r.inner, buffer, toWrite, written);
}

unit::DriverResult Com7Driver::GetCommState(unit::DeviceOpen& open, platform::DCB* dcb) {
    RoutedOpen& r = Routed(open);
    return r.port->GetCommState(*r.inner, dcb);
}

unit::DriverResult Com7Driver::SetCommState(unit::DeviceOpen& open, const platform::DCB& dcb) {
    RoutedOpen& r = Routed(open);
    return r.port->SetCommState(*r.inner, dcb);
}

unit::DriverResult Com7Driver::GetCommTimeouts(unit::DeviceOpen& open,
                                               platform::COMMTIMEOUTS* timeouts) {
    RoutedOpen& r = Routed(open);
    return r.port->GetCommTimeouts(*r.inner, timeouts);
}

unit::DriverResult Com7Driver::SetCommTimeouts(unit::DeviceOpen& open,
                                               const platform::COMMTIMEOUTS& timeouts) {
    RoutedOpen& r = Routed(open);
    return r.port->SetCommTimeouts(*r.inner, timeouts);
}

unit::DriverResult Com7Driver::SetCommMask(unit::DeviceOpen& open, platform::DWORD mask) {
    RoutedOpen& r = Routed(open);
    return r.port->SetCommMask(*r.inner, mask);
}

unit::DriverResult Com7Driver::WaitCommEvent(unit::DeviceOpen& open, platform::DWORD* eventMask) {
    RoutedOpen& r = Routed(open);
    return r.port->WaitCommEvent(*r.inner, eventMask);
}

unit::DriverResult Com7Driver::ClearCommError(unit::DeviceOpen& open, platform::DWORD* errors,
                                              platform::COMSTAT* status) {
    RoutedOpen& r = Routed(open);
    return r.port->ClearCommError(*r.inner, errors, status);
}

}  // namespace host::com7
