// Small stand-ins for the GPS receiver ("GPS1:") and the tuner module's
// serial port ("COM7:"), plugged into the test's unit as one component.
#pragma once

#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "devices/gps1.h"
#include "host/unit/component.h"
#include "host/unit/driver.h"
#include "host/unit/scheduler.h"
#include "host/unit/virtual_unit.h"

namespace kestrin_test {

// Answers the version request with the bytes it is given.
class FakeGpsDriver final : public host::unit::Driver {
  public:
    host::unit::DriverResult IoControl(host::unit::DeviceOpen&, host::unit::DWORD code, const void*,
                                       host::unit::DWORD, void* out, host::unit::DWORD outSize,
                                       host::unit::DWORD* returned) override {
        std::lock_guard lock(mutex_);
        if (code != VESK_GPS_IOCTL_GET_GPS_VERSION) {
            return host::unit::DriverResult::Fail(platform::ERROR_NOT_SUPPORTED);
        }
        ++versionRequests_;
        const std::size_t n = std::min<std::size_t>(version_.size(), outSize);
        if (n > 0) {
            std::memcpy(out, version_.data(), n);
        }
        if (returned != nullptr) {
            *returned = static_cast<host::unit::DWORD>(n);
        }
        return host::unit::DriverResult::Ok();
    }
    void SetVersion(std::string bytes) {
        std::lock_guard lock(mutex_);
        version_ = std::move(bytes);
    }
    int VersionRequests() const {
        std::lock_guard lock(mutex_);
        return versionRequests_;
    }

  private:
    mutable std::mutex mutex_;
    std::string version_ = "GSW3.2.4_3.1.00.12";
    int versionRequests_ = 0;
};

// Replies read by read from a script; an empty script reads nothing (the
// module is silent). A Block step waits until the handle is closed.
class FakeComDriver final : public host::unit::Driver {
  public:
    struct Step {
        std::vector<std::uint8_t> bytes;
        bool block = false;
    };

    explicit FakeComDriver(host::unit::Scheduler& scheduler) : closed_(scheduler) {}

    std::shared_ptr<host::unit::DeviceOpen> Open(host::unit::DWORD, host::unit::DWORD,
                                                 host::unit::DWORD*) override {
        std::lock_guard lock(mutex_);
        ++opens_;
        return std::make_shared<ComOpen>();
    }
    void Close(host::unit::DeviceOpen& open) override {
        {
            std::lock_guard lock(mutex_);
            static_cast<ComOpen&>(open).closed = true;
            ++closes_;
        }
        closed_.NotifyAll();
    }
    host::unit::DriverResult GetCommState(host::unit::DeviceOpen&, platform::DCB*) override {
        return {};
    }
    host::unit::DriverResult SetCommState(host::unit::DeviceOpen&,
                                          const platform::DCB& dcb) override {
        std::lock_guard lock(mutex_);
        baud_ = dcb.BaudRate;
        return {};
    }
    host::unit::DriverResult GetCommTimeouts(host::unit::DeviceOpen&,
                                             platform::COMMTIMEOUTS*) override {
        return {};
    }
    host::unit::DriverResult SetCommTimeouts(host::unit::DeviceOpen&,
                                             const platform::COMMTIMEOUTS&) override {
        return {};
    }
    host::unit::DriverResult Write(host::unit::DeviceOpen&, const void* data,
                                   host::unit::DWORD size, host::unit::DWORD* written) override {
        std::lock_guard lock(mutex_);
        const auto* p = static_cast<const std::uint8_t*>(data);
        written_.insert(written_.end(), p, p + size);
        *written = size;
        return {};
    }
    host::unit::DriverResult Read(host::unit::DeviceOpen& open, void* buffer,
                                  host::unit::DWORD toRead, host::unit::DWORD* read) override {
        auto& com = static_cast<ComOpen&>(open);
        std::unique_lock lock(mutex_);
        *read = 0;
        if (script_.empty()) {
            return {};
        }
        Step step = script_.front();
        script_.pop_front();
        if (step.block) {
            ++blockedReads_;
            if (onBlock) {
                onBlock();
            }
            closed_.Wait(lock, [&com] { return com.closed; });
            return host::unit::DriverResult::Fail(platform::ERROR_INVALID_HANDLE);
        }
        const std::size_t n = std::min<std::size_t>(step.bytes.size(), toRead);
        std::memcpy(buffer, step.bytes.data(), n);
        *read = static_cast<host::unit::DWORD>(n);
        return {};
    }

    // Called by a read that starts to wait for the close (the test wakes
    // its framework with it).
    std::function<void()> onBlock;

    void Script(std::vector<Step> steps) {
        std::lock_guard lock(mutex_);
        script_.assign(steps.begin(), steps.end());
    }
    std::vector<std::uint8_t> Written() const {
        std::lock_guard lock(mutex_);
        return written_;
    }
    int Opens() const {
        std::lock_guard lock(mutex_);
        return opens_;
    }
    int Closes() const {
        std::lock_guard lock(mutex_);
        return closes_;
    }
    int BlockedReads() const {
        std::lock_guard lock(mutex_);
        return blockedReads_;
    }
    host::unit::DWORD Baud() const {
        std::lock_guard lock(mutex_);
        return baud_;
    }

  private:
    struct ComOpen : host::unit::DeviceOpen {
        bool closed = false;
    };
    mutable std::mutex mutex_;
    host::unit::WaitPoint closed_;
    std::deque<Step> script_;
    std::vector<std::uint8_t> written_;
    int opens_ = 0;
    int closes_ = 0;
    int blockedReads_ = 0;
    host::unit::DWORD baud_ = 0;
};

class FakeDevices final : public host::unit::Component {
  public:
    static constexpr const char* kName = "diag_test_devices";

    void Declare(host::unit::Schema& schema, host::unit::VirtualUnit& u) override {
        com = std::make_shared<FakeComDriver>(u.scheduler());
        u.AddDevice(schema, "gps", "GPS1:", gps);
        u.AddDevice(schema, "com", "COM7:", com);
    }

    static host::unit::ComponentKind Kind() {
        return {kName, [] { return std::make_unique<FakeDevices>(); }};
    }
    static FakeDevices& Of(host::unit::VirtualUnit& u) {
        return *static_cast<FakeDevices*>(u.FindComponent(kName));
    }

    std::shared_ptr<FakeGpsDriver> gps = std::make_shared<FakeGpsDriver>();
    std::shared_ptr<FakeComDriver> com;
};

}  // namespace kestrin_test
