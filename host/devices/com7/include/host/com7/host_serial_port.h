// COM7: on a serial device of the host (a USB-serial adapter with a real
// tuner module on it, or a pseudo-terminal): the kernel's serial calls over
// termios. SetCommState sets baud, data bits, parity, stop bits and flow
// control; WaitCommEvent waits with poll() for received characters;
// ClearCommError counts the queued bytes with FIONREAD; ReadFile honours the
// read time-outs.
//
// A real device keeps real time, whatever the unit's clock does: waits are
// host waits, cut into slices so that a closed handle or a unit going away
// ends them.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "host/unit/driver.h"
#include "host/unit/scheduler.h"

namespace host::com7 {

class HostSerialPort final : public unit::Driver {
  public:
    explicit HostSerialPort(unit::Scheduler& scheduler);

    // The host device ("/dev/ttyUSB0"); later opens use it.
    void SetDevice(std::string path);
    [[nodiscard]] std::string Device() const;
    // Reads and WaitCommEvent calls in progress, waiting for the line.
    [[nodiscard]] int Waiting() const { return waiting_.load(); }

    std::shared_ptr<unit::DeviceOpen> Open(platform::DWORD access, platform::DWORD share,
                                           platform::DWORD* error) override;
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
    unit::Scheduler& scheduler_;
    mutable std::mutex mutex_;
    std::string device_;
    std::atomic<int> waiting_{0};
};

}  // namespace host::com7
