#include "host/gps1/gps1_driver.h"

#include <algorithm>
#include <cstring>

#include "devices/gps1.h"

namespace host::gps1 {

using platform::ERROR_INVALID_HANDLE;
using platform::ERROR_INVALID_PARAMETER;

struct Gps1Driver::Handle final : unit::DeviceOpen {
    std::string queue;  // guarded by the driver's mutex
    bool closed = false;
};

Gps1Driver::Gps1Driver(unit::Scheduler& scheduler) : dataReady_(scheduler), opened_(scheduler) {}

void Gps1Driver::SetVersion(std::string version) {
    std::lock_guard lock(mutex_);
    version_ = std::move(version);
}

std::string Gps1Driver::Version() const {
    std::lock_guard lock(mutex_);
    return version_;
}

void Gps1Driver::SetHooks(OpenHook open, CloseHook close) {
    std::lock_guard lock(mutex_);
    openHook_ = std::move(open);
    closeHook_ = std::move(close);
}

void Gps1Driver::Feed(std::string_view bytes) {
    if (bytes.empty()) {
        return;
    }
    {
        std::lock_guard lock(mutex_);
        for (const auto& weak : handles_) {
            const std::shared_ptr<Handle> h = weak.lock();
            if (!h || h->closed) {
                continue;
            }
            h->queue.append(bytes);
            if (h->queue.size() > kQueueLimit) {
                h->queue.erase(0, h->queue.size() - kQueueLimit);
            }
        }
    }
    dataReady_.NotifyAll();
}

int Gps1Driver::OpenCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count_if(handles_.begin(), handles_.end(), [](const auto& weak) {
        const auto h = weak.lock();
        return h && !h->closed;
    }));
}

bool Gps1Driver::AnyOpenLocked() const {
    return std::any_of(handles_.begin(), handles_.end(), [](const auto& weak) {
        const auto h = weak.lock();
        return h && !h->closed;
    });
}

bool Gps1Driver::WaitForOpen(const std::stop_token& stop) {
    std::unique_lock lock(mutex_);
    return opened_.Wait(
               lock, [this] { return AnyOpenLocked(); }, std::nullopt, stop) ==
           unit::WaitResult::Ready;
}

std::shared_ptr<unit::DeviceOpen> Gps1Driver::Open(DWORD access, DWORD share, DWORD* error) {
    auto handle = std::make_shared<Handle>();
    handle->access = access;
    handle->share = share;
    OpenHook hook;
    {
        std::lock_guard lock(mutex_);
        hook = openHook_;
    }
    if (hook) {
        if (const DWORD refused = hook(*handle); refused != platform::ERROR_SUCCESS) {
            *error = refused;
            return nullptr;
        }
    }
    {
        std::lock_guard lock(mutex_);
        std::erase_if(handles_, [](const auto& weak) { return weak.expired(); });
        handles_.push_back(handle);
    }
    opened_.NotifyAll();
    return handle;
}

void Gps1Driver::Close(unit::DeviceOpen& open) {
    auto& handle = static_cast<Handle&>(open);
    CloseHook hook;
    {
        std::lock_guard lock(mutex_);
        handle.closed = true;
        handle.queue.clear();
        hook = closeHook_;
    }
    // A wait pending on this handle returns now, and fails.
    dataReady_.NotifyAll();
    if (hook) {
        hook(open);
    }
}

unit::DriverResult Gps1Driver::IoControl(unit::DeviceOpen& open, DWORD code, const void* /*in*/,
                                         DWORD /*inSize*/, void* out, DWORD outSize,
                                         DWORD* returned) {
    auto& handle = static_cast<Handle&>(open);
    std::unique_lock lock(mutex_);
    switch (code) {
        case VESK_GPS_IOCTL_WAIT_DATA: {
            const auto r =
                dataReady_.Wait(lock, [&] { return !handle.queue.empty() || handle.closed; });
            if (r != unit::WaitResult::Ready || handle.closed) {
                return unit::DriverResult::Fail(ERROR_INVALID_HANDLE);
            }
            return unit::DriverResult::Ok();
        }
        case VESK_GPS_IOCTL_GET_DATA_SIZE:
            return unit::PutDword(static_cast<std::uint32_t>(handle.queue.size()), out, outSize,
                                  returned);
        case VESK_GPS_IOCTL_READ_DATA: {
            if (out == nullptr && outSize != 0) {
                return unit::DriverResult::Fail(ERROR_INVALID_PARAMETER);
            }
            const std::size_t n = std::min<std::size_t>(outSize, handle.queue.size());
            if (n > 0) {
                std::memcpy(out, handle.queue.data(), n);
                handle.queue.erase(0, n);
            }
            if (returned != nullptr) {
                *returned = static_cast<DWORD>(n);
            }
            return unit::DriverResult::Ok();
        }
        case VESK_GPS_IOCTL_GET_GPS_VERSION: {
            if (out == nullptr || outSize == 0) {
                return unit::DriverResult::Fail(ERROR_INVALID_PARAMETER);
            }
            // The whole buffer may be text: the caller stops at its end.
            const std::size_t n = std::min<std::size_t>(outSize, version_.size());
            if (n > 0) {
                std::memcpy(out, version_.data(), n);
            }
            if (n < outSize) {
                static_cast<char*>(out)[n] = '\0';
            }
            if (returned != nullptr) {
                *returned = static_cast<DWORD>(n);
            }
            return unit::DriverResult::Ok();
        }
        default:
            return unit::DriverResult::Fail(platform::ERROR_NOT_SUPPORTED);
    }
}

}  // namespace host::gps1
