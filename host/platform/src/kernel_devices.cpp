// Stream devices: name resolution, presence, faults and the calls that go
// through to the drivers.
#include <algorithm>
#include <cctype>

#include "unit_impl.h"
#include "unit_path.h"

namespace host::unit {

using namespace platform;

bool IsDeviceName(std::string_view name) {
    return name.size() == 5 && std::isalpha(static_cast<unsigned char>(name[0])) != 0 &&
           std::isalpha(static_cast<unsigned char>(name[1])) != 0 &&
           std::isalpha(static_cast<unsigned char>(name[2])) != 0 &&
           std::isdigit(static_cast<unsigned char>(name[3])) != 0 && name[4] == ':';
}

HANDLE OpenDevice(VirtualUnit::Impl& impl, std::string_view name, DWORD access, DWORD share) {
    DeviceSlot* slot = impl.FindSlot(name);
    if (slot == nullptr || slot->absent.load() || impl.registry.DescribedAndInactive(slot->name)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (auto code = slot->faults.Find("open")) {
        SetLastError(*code);
        return INVALID_HANDLE_VALUE;
    }
    auto object = std::make_shared<DeviceObject>();
    object->slot = slot;
    if (DWORD err = impl.shares.Take("device:" + slot->name, access, share, &object->shareId);
        err != ERROR_SUCCESS) {
        SetLastError(err == ERROR_SHARING_VIOLATION ? slot->driver->InUseError() : err);
        return INVALID_HANDLE_VALUE;
    }
    DWORD error = ERROR_GEN_FAILURE;
    object->open = slot->driver->Open(access, share, &error);
    if (!object->open) {
        impl.shares.Drop(object->shareId);
        SetLastError(error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE);
        return INVALID_HANDLE_VALUE;
    }
    return impl.handles.Add(object);
}

BOOL DeviceCall(VirtualUnit::Impl& impl, HANDLE h, std::string_view op,
                std::optional<std::uint32_t> arg,
                const std::function<DriverResult(Driver&, DeviceOpen&)>& call) {
    auto object = impl.handles.Get(h);
    auto* device = object ? std::get_if<std::shared_ptr<DeviceObject>>(&*object) : nullptr;
    if (device == nullptr) {
        return VirtualUnit::Impl::Fail(ERROR_INVALID_HANDLE);
    }
    // Keep the device object alive for the whole call, even if another
    // thread closes the handle meanwhile.
    const std::shared_ptr<DeviceObject> keep = *device;
    const auto code = arg ? keep->slot->faults.Find(op, *arg) : keep->slot->faults.Find(op);
    if (code) {
        return VirtualUnit::Impl::Fail(*code);
    }
    const DriverResult r = call(*keep->slot->driver, *keep->open);
    if (r.value == FALSE) {
        SetLastError(r.error != ERROR_SUCCESS ? r.error : ERROR_GEN_FAILURE);
    }
    return r.value;
}

std::string DeviceNameOf(VirtualUnit::Impl& impl, HANDLE h) {
    auto object = impl.handles.Get(h);
    auto* device = object ? std::get_if<std::shared_ptr<DeviceObject>>(&*object) : nullptr;
    return device != nullptr ? (*device)->slot->name : std::string();
}

BOOL VirtualUnit::DeviceIoControl(HANDLE h, DWORD code, const void* in, DWORD inSize, void* out,
                                  DWORD outSize, DWORD* returned) {
    auto object = impl_->handles.Get(h);
    if (object && std::holds_alternative<std::shared_ptr<FileObject>>(*object)) {
        return Impl::Fail(ERROR_INVALID_FUNCTION);
    }
    bool readsThrough = false;
    const BOOL result = DeviceCall(*impl_, h, "ioctl", code, [&](Driver& d, DeviceOpen& o) {
        readsThrough = d.ReadsThrough(code);
        return d.IoControl(o, code, in, inSize, out, outSize, returned);
    });
    if (!impl_->traffic.On()) {
        return result;
    }
    const DWORD error = result == FALSE ? GetLastError() : ERROR_SUCCESS;
    const std::string device = DeviceNameOf(*impl_, h);
    // Without a counter the whole output buffer is the answer.
    const DWORD given = result == FALSE ? 0 : returned != nullptr ? *returned : outSize;
    std::vector<std::uint8_t> output = TrafficBytes(out, std::min(given, outSize));
    if (readsThrough && !output.empty()) {
        auto event = platform::TrafficOf(device, TrafficKind::Read);
        event.bytes = output;
        impl_->traffic.Record(std::move(event));
    }
    auto event = platform::TrafficOf(device, TrafficKind::Control);
    event.bytes = TrafficBytes(in, inSize);
    event.output = std::move(output);
    event.code = code;
    event.result = result;
    event.error = error;
    impl_->traffic.Record(std::move(event));
    return result;
}

BOOL VirtualUnit::GetCommState(HANDLE h, DCB* dcb) {
    return DeviceCall(*impl_, h, "getcommstate", std::nullopt,
                      [&](Driver& d, DeviceOpen& o) { return d.GetCommState(o, dcb); });
}

BOOL VirtualUnit::SetCommState(HANDLE h, const DCB& dcb) {
    return DeviceCall(*impl_, h, "setcommstate", std::nullopt,
                      [&](Driver& d, DeviceOpen& o) { return d.SetCommState(o, dcb); });
}

BOOL VirtualUnit::GetCommTimeouts(HANDLE h, COMMTIMEOUTS* timeouts) {
    return DeviceCall(*impl_, h, "getcommtimeouts", std::nullopt,
                      [&](Driver& d, DeviceOpen& o) { return d.GetCommTimeouts(o, timeouts); });
}

BOOL VirtualUnit::SetCommTimeouts(HANDLE h, const COMMTIMEOUTS& timeouts) {
    return DeviceCall(*impl_, h, "setcommtimeouts", std::nullopt,
                      [&](Driver& d, DeviceOpen& o) { return d.SetCommTimeouts(o, timeouts); });
}

BOOL VirtualUnit::SetCommMask(HANDLE h, DWORD mask) {
    return DeviceCall(*impl_, h, "setcommmask", std::nullopt,
                      [&](Driver& d, DeviceOpen& o) { return d.SetCommMask(o, mask); });
}

BOOL VirtualUnit::WaitCommEvent(HANDLE h, DWORD* eventMask) {
    return DeviceCall(*impl_, h, "waitcommevent", std::nullopt,
                      [&](Driver& d, DeviceOpen& o) { return d.WaitCommEvent(o, eventMask); });
}

BOOL VirtualUnit::ClearCommError(HANDLE h, DWORD* errors, COMSTAT* status) {
    return DeviceCall(*impl_, h, "clearcommerror", std::nullopt, [&](Driver& d, DeviceOpen& o) {
        return d.ClearCommError(o, errors, status);
    });
}

}  // namespace host::unit
