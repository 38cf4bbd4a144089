// "GPS1:" of the virtual unit: the GPS receiver's stream driver
// (devices/gps1.h). WAIT_DATA waits until bytes are queued, READ_DATA hands
// them over oldest first, GET_GPS_VERSION gives gps.version.
//
// Bytes are queued for every open handle from the moment it is opened; a
// handle nobody reads keeps the newest kQueueLimit bytes, as a receiver's
// ring buffer does. Where the bytes come from is the component's business
// (gps1_component.h); tests and benchmarks may also Feed them directly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "devices/gps1.h"
#include "host/unit/driver.h"
#include "host/unit/scheduler.h"

namespace host::gps1 {

using unit::DWORD;

class Gps1Driver final : public unit::Driver {
  public:
    static constexpr std::size_t kQueueLimit = std::size_t{64} * 1024;

    // Called at each open; a non-zero result refuses it with that code. The
    // serial source opens its host device here.
    using OpenHook = std::function<DWORD(unit::DeviceOpen& open)>;
    using CloseHook = std::function<void(unit::DeviceOpen& open)>;

    explicit Gps1Driver(unit::Scheduler& scheduler);

    void SetVersion(std::string version);
    [[nodiscard]] std::string Version() const;
    void SetHooks(OpenHook open, CloseHook close);

    // Queues bytes for every open handle and wakes its waiter.
    void Feed(std::string_view bytes);
    // Handles open now.
    [[nodiscard]] int OpenCount() const;
    // Blocks a feeding thread until some handle is open (true) or stop is
    // requested or the unit goes away (false).
    bool WaitForOpen(const std::stop_token& stop);

    std::shared_ptr<unit::DeviceOpen> Open(DWORD access, DWORD share, DWORD* error) override;
    void Close(unit::DeviceOpen& open) override;
    unit::DriverResult IoControl(unit::DeviceOpen& open, DWORD code, const void* in, DWORD inSize,
                                 void* out, DWORD outSize, DWORD* returned) override;
    [[nodiscard]] bool ReadsThrough(DWORD code) const override {
        return code == VESK_GPS_IOCTL_READ_DATA;
    }

  private:
    struct Handle;
    bool AnyOpenLocked() const;

    mutable std::mutex mutex_;
    unit::WaitPoint dataReady_;
    unit::WaitPoint opened_;
    std::vector<std::weak_ptr<Handle>> handles_;
    std::string version_;
    OpenHook openHook_;
    CloseHook closeHook_;
};

}  // namespace host::gps1
