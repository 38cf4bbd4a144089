#include "host/unit/virtual_unit.h"

#include <cstdio>
#include <cstring>

#include "host/unit/clock.h"
#include "unit_impl.h"
#include "unit_path.h"

namespace host::unit {

namespace {

const std::vector<FaultOp>& DeviceOps() {
    static const std::vector<FaultOp> ops = {
        {"open", FaultArg::None},
        {"close", FaultArg::None},
        {"read", FaultArg::None},
        {"write", FaultArg::None},
        {"ioctl", FaultArg::Number},
        {"getcommstate", FaultArg::None},
        {"setcommstate", FaultArg::None},
        {"getcommtimeouts", FaultArg::None},
        {"setcommtimeouts", FaultArg::None},
        {"setcommmask", FaultArg::None},
        {"waitcommevent", FaultArg::None},
        {"clearcommerror", FaultArg::None},
    };
    return ops;
}

const std::vector<FaultOp>& KernelOps() {
    static const std::vector<FaultOp> ops = {
        {"createfile", FaultArg::Path},         {"readfile", FaultArg::Path},
        {"writefile", FaultArg::Path},          {"findfirstfile", FaultArg::Path},
        {"copyfile", FaultArg::Path},           {"deletefile", FaultArg::Path},
        {"getdiskfreespaceex", FaultArg::Path}, {"filetimetosystemtime", FaultArg::None},
        {"virtualalloc", FaultArg::Number},     {"virtualcopy", FaultArg::Number},
        {"virtualfree", FaultArg::Number},      {"localalloc", FaultArg::None},
        {"createthread", FaultArg::None},
    };
    return ops;
}

std::string UpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

}  // namespace

DeviceSlot::DeviceSlot(const std::string& deviceName, std::string tableName,
                       std::shared_ptr<Driver> d)
    : name(UpperAscii(deviceName)),
      table(std::move(tableName)),
      driver(std::move(d)),
      faults(DeviceOps()) {}

VirtualUnit::Impl::Impl(std::filesystem::path unitDir, const LoadOptions& options)
    : dir(std::move(unitDir)),
      scheduler(std::make_unique<Scheduler>(
          options.virtualTime ? Scheduler::Time::Virtual : Scheduler::Time::Real, options.startMs)),
      traffic([this] { return scheduler->NowMs(); }),
      fs(options.writeTo.value_or(dir) / "fs",
         options.writeTo ? std::optional(dir / "fs") : std::nullopt),
      kernelFaults(KernelOps()),
      registry(options.writeTo.value_or(dir) / "registry.reg", handles, traffic,
               options.writeTo ? dir / "registry.reg" : std::filesystem::path()) {}

BOOL VirtualUnit::Impl::Fail(DWORD code) {
    platform::SetLastError(code);
    return platform::FALSE;
}

DeviceSlot* VirtualUnit::Impl::FindSlot(std::string_view deviceName) const {
    std::lock_guard lock(devicesMutex);
    for (const auto& d : devices) {
        if (EqualsNoCase(d->name, deviceName)) {
            return d.get();
        }
    }
    return nullptr;
}

VirtualUnit::VirtualUnit(Key /*key*/, std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

VirtualUnit::~VirtualUnit() {
    // Release every wait so that system threads still blocked in a device
    // can end, then join them before any driver goes away.
    impl_->scheduler->Shutdown();
    std::vector<std::shared_ptr<ThreadRecord>> threads;
    {
        std::lock_guard lock(impl_->threadsMutex);
        threads.swap(impl_->threads);
    }
    for (auto& t : threads) {
        if (t->thread.joinable()) {
            t->thread.join();
        }
    }
    impl_->components.clear();
}

platform::Services VirtualUnit::Services() {
    platform::Services s;
    s.kernel = this;
    s.power = &impl_->power;
    s.registry = &impl_->registry;
    s.clock = &impl_->scheduler->Clock();
    return s;
}

const std::filesystem::path& VirtualUnit::Dir() const {
    return impl_->dir;
}
std::filesystem::path VirtualUnit::FsRoot() const {
    return impl_->fs.root();
}

std::optional<std::filesystem::path> VirtualUnit::HostPath(std::string_view unitPath) const {
    return FindOnHost(impl_->fs, unitPath);
}

SetError VirtualUnit::Set(std::string_view dottedKey, std::string_view value) {
    std::lock_guard lock(impl_->configMutex);
    return impl_->schema.Set(dottedKey, value);
}

Schema::Table& VirtualUnit::AddDevice(Schema& schema, const std::string& table,
                                      const std::string& deviceName,
                                      std::shared_ptr<Driver> driver) {
    DeviceSlot* slot = nullptr;
    {
        std::lock_guard lock(impl_->devicesMutex);
        impl_->devices.push_back(
            std::make_unique<DeviceSlot>(deviceName, table, std::move(driver)));
        slot = impl_->devices.back().get();
    }
    Schema::Table& t = schema.Add(table);
    t.Boolean("absent", [slot](bool v) { slot->absent.store(v); });
    t.Faults("fail", [slot](const std::string& op, std::uint32_t code) {
        return slot->faults.Set(op, code);
    });
    return t;
}

std::shared_ptr<Driver> VirtualUnit::FindDriver(std::string_view deviceName) const {
    DeviceSlot* slot = impl_->FindSlot(deviceName);
    return slot != nullptr ? slot->driver : nullptr;
}

bool VirtualUnit::DevicePresent(std::string_view deviceName) const {
    DeviceSlot* slot = impl_->FindSlot(deviceName);
    return slot != nullptr && !slot->absent.load() &&
           !impl_->registry.DescribedAndInactive(slot->name);
}

void VirtualUnit::SetDeviceAbsent(std::string_view deviceName, bool absent) {
    if (DeviceSlot* slot = impl_->FindSlot(deviceName)) {
        slot->absent.store(absent);
    }
}

std::string VirtualUnit::FailDevice(std::string_view deviceName, std::string_view op, DWORD code) {
    DeviceSlot* slot = impl_->FindSlot(deviceName);
    if (slot == nullptr) {
        return "no device " + std::string(deviceName);
    }
    return slot->faults.Set(op, code);
}

std::string VirtualUnit::FailKernel(std::string_view op, DWORD code) {
    return impl_->kernelFaults.Set(op, code);
}

Component* VirtualUnit::FindComponent(std::string_view name) const {
    for (const auto& [n, c] : impl_->components) {
        if (n == name) {
            return c.get();
        }
    }
    return nullptr;
}

bool VirtualUnit::UsesHostDevice(std::string* which) const {
    for (const auto& [n, c] : impl_->components) {
        if (c->UsesHostDevice(which)) {
            return true;
        }
    }
    return false;
}

std::string VirtualUnit::ClaimStandardInput(const std::string& key) {
    std::lock_guard lock(impl_->configMutex);
    if (impl_->standardInputKey.empty()) {
        impl_->standardInputKey = key;
        return {};
    }
    return impl_->standardInputKey;
}

std::uint32_t VirtualUnit::ReadWord(std::uint32_t kernelAddress) const {
    return impl_->registers.Read(kernelAddress).value_or(0);
}

bool VirtualUnit::WriteWord(std::uint32_t kernelAddress, std::uint32_t value) {
    return impl_->registers.Write(kernelAddress, value);
}

bool VirtualUnit::Pin(int pin) const {
    if (pin < 0 || pin >= kGpioPins) {
        return false;
    }
    return (ReadWord(kGpioAddress + kGpioPinLevel + GpioPinWordOffset(pin)) & GpioPinMask(pin)) !=
           0;
}

void VirtualUnit::SetPin(int pin, bool level) {
    if (pin < 0 || pin >= kGpioPins) {
        return;
    }
    impl_->registers.SetBit(kGpioAddress + kGpioPinLevel + GpioPinWordOffset(pin), pin % 32, level);
}

std::optional<RegValue> VirtualUnit::RegistryValue(std::string_view key,
                                                   std::string_view name) const {
    return impl_->registry.Value(key, name);
}
bool VirtualUnit::RegistryKeyExists(std::string_view key) const {
    return impl_->registry.KeyExists(key);
}
std::vector<std::string> VirtualUnit::RegistrySubKeys(std::string_view key) const {
    return impl_->registry.SubKeys(key);
}

int VirtualUnit::Reservations() const {
    return impl_->registers.Reservations();
}

std::vector<std::string> VirtualUnit::DebugLines() const {
    std::lock_guard lock(impl_->debugMutex);
    return impl_->debugLines;
}

void VirtualUnit::ClearDebugLines() {
    std::lock_guard lock(impl_->debugMutex);
    impl_->debugLines.clear();
}

void VirtualUnit::SetDebugEcho(bool echo) {
    impl_->debugEcho.store(echo);
}

void VirtualUnit::DebugOutput(std::string_view text) {
    std::lock_guard lock(impl_->debugMutex);
    impl_->debugLines.emplace_back(text);
    if (impl_->debugEcho.load()) {
        // Echo only: the kept line is what counts.
        static_cast<void>(std::fwrite(text.data(), 1, text.size(), stderr));
        static_cast<void>(std::fflush(stderr));
    }
}

platform::Traffic& VirtualUnit::traffic() {
    return impl_->traffic;
}

unit::Scheduler& VirtualUnit::scheduler() {
    return *impl_->scheduler;
}
platform::Clock& VirtualUnit::Clock() {
    return impl_->scheduler->Clock();
}
VirtualClock* VirtualUnit::Virtual() {
    return impl_->scheduler->Virtual();
}
bool VirtualUnit::Quiescent() const {
    return impl_->scheduler->Quiescent();
}
int VirtualUnit::LiveSystemThreads() const {
    std::lock_guard lock(impl_->threadsMutex);
    int live = 0;
    for (const auto& t : impl_->threads) {
        std::lock_guard l(t->mutex);
        live += t->finished ? 0 : 1;
    }
    return live;
}
int VirtualUnit::OpenHandles() const {
    return impl_->handles.Count();
}
int VirtualUnit::LocalBlocks() const {
    std::lock_guard lock(impl_->localMutex);
    return static_cast<int>(impl_->locals.size());
}

}  // namespace host::unit
