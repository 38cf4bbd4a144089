// The "COM7:" driver of the unit: each open goes to the simulated tuner
// module, or to a host serial device when unit.toml names one, and every
// later call on that handle goes where its open went. The port opens once
// at a time whatever the share mode, and a second open fails with
// ERROR_ACCESS_DENIED, as a serial port's does on Windows.
#pragma once

#include <memory>
#include <mutex>

#include "host/com7/host_serial_port.h"
#include "host/com7/simulated_port.h"

namespace host::com7 {

class Com7Driver final : public unit::Driver {
  public:
    explicit Com7Driver(unit::Scheduler& scheduler);

    SimulatedPort& Simulated() { return *simulated_; }
    HostSerialPort& Host() { return *host_; }

    std::shared_ptr<unit::DeviceOpen> Open(platform::DWORD access, platform::DWORD share,
                                           platform::DWORD* error) override;
    [[nodiscard]] platform::DWORD InUseError() const override;
    void Close(unit::DeviceOpen& open) override;
    unit::DriverResult Read(unit::DeviceOpen& open, void* buffer, platform::DWORD toRead,
                            platform::DWORD* read) override;
    unit::DriverResult Write(unit::DeviceOpen& open, const void* buffer, platform::DWORD toWrite,
                             platform::DWORD* written) override;
    unit::DriverResult GetCommState(unit::DeviceOpen& open, platform::DCB* dcb) override;
    unit::DriverResult SetCommState(unit::DeviceOpen& open, const platform::DCB& dcb) override;
    unit::DriverResult GetCommTimeouts(unit::DeviceOpen& open,
                                       platform::COMMTIMEOUTS* timeouts) override;
    unit::DriverResult SetCommTimeouts(unit::DeviceOpen& open,
                                       const platform::COMMTIMEOUTS& timeouts) override;
    unit::DriverResult SetCommMask(unit::DeviceOpen& open, platform::DWORD mask) override;
    unit::DriverResult WaitCommEvent(unit::DeviceOpen& open, platform::DWORD* eventMask) override;
    unit::DriverResult ClearCommError(unit::DeviceOpen& open, platform::DWORD* errors,
                                      platform::COMSTAT* status) override;

  private:
    std::shared_ptr<SimulatedPort> simulated_;
    std::shared_ptr<HostSerialPort> host_;
    std::mutex mutex_;
    bool open_ = false;
};

}  // namespace host::com7
