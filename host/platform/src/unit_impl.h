// The inside of VirtualUnit, shared by the files that implement its calls.
#pragma once

#include <string_view>

#include <atomic>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "devices/driver_keys.h"
#include "file_system.h"
#include "handle_table.h"
#include "host/unit/faults.h"
#include "host/unit/scheduler.h"
#include "host/unit/virtual_unit.h"
#include "platform/last_error.h"
#include "platform/traffic.h"
#include "register_space.h"
#include "registry.h"
#include "registry_store.h"
#include "share_table.h"
#include "unit_power.h"

namespace host::unit {

// A registered device: its driver, presence and injected faults.
struct DeviceSlot {
    DeviceSlot(const std::string& deviceName, std::string tableName, std::shared_ptr<Driver> d);
    std::string name;   // upper case, "PWM1:"
    std::string table;  // "pwm"
    std::shared_ptr<Driver> driver;
    std::atomic<bool> absent{false};
    FaultSet faults;
};

// A generated or retimed file from [[fs.file]] / [[fs.dir]].
struct FileSpec {
    int line = 0;
    std::string path;
    bool dir = false;
    std::optional<std::int64_t> size;
    std::optional<std::int64_t> mtime;
    std::optional<std::vector<std::uint8_t>> content;
};

struct VolumeSize {
    std::optional<std::uint64_t> total;
    std::optional<std::uint64_t> free;
};

struct VirtualUnit::Impl {
    explicit Impl(std::filesystem::path unitDir, const LoadOptions& options);

    std::filesystem::path dir;
    std::unique_ptr<Scheduler> scheduler;  // outlives everything below
    platform::Traffic traffic;             // on the scheduler's clock
    FileSystem fs;

    // Devices and faults.
    mutable std::mutex devicesMutex;
    std::vector<std::unique_ptr<DeviceSlot>> devices;
    FaultSet kernelFaults;

    // Configuration.
    std::mutex configMutex;
    Schema schema;
    std::vector<std::pair<std::string, std::unique_ptr<Component>>> components;
    std::vector<FileSpec> fileSpecs;
    std::string standardInputKey;  // the setting that reads the host's standard input

    HandleTable handles;
    ShareTable shares;  // open files and devices
    UnitRegistry registry;
    UnitPower power;

    RegisterSpace registers;

    mutable std::mutex localMutex;
    std::map<void*, std::unique_ptr<std::byte[]>> locals;

    mutable std::mutex threadsMutex;
    std::vector<std::shared_ptr<ThreadRecord>> threads;

    mutable std::mutex debugMutex;
    std::vector<std::string> debugLines;
    std::atomic<bool> debugEcho{false};

    std::mutex volumesMutex;
    std::map<std::string, VolumeSize> volumes;  // lower-case volume name

    // Helpers shared by the call files.
    DeviceSlot* FindSlot(std::string_view deviceName) const;
    // Sets the last error and returns FALSE.
    static BOOL Fail(DWORD code);
};

void DeclareUnitKeys(VirtualUnit& unit, VirtualUnit::Impl& impl);
std::optional<ConfigError> ApplyToml(const Schema& schema, const std::filesystem::path& file);
std::optional<ConfigError> ApplyFileSpecs(VirtualUnit::Impl& impl, const std::string& tomlName);
std::optional<std::filesystem::path> FindOnHost(const FileSystem& fs, std::string_view unitPath);

}  // namespace host::unit

namespace host::unit {

// "XXXN:" names a stream device.
bool IsDeviceName(std::string_view name);
HANDLE OpenDevice(VirtualUnit::Impl& impl, std::string_view name, DWORD access, DWORD share);
// Runs one driver call on a device handle with the fault of op checked
// first; FALSE with ERROR_INVALID_HANDLE when h is not an open device.
BOOL DeviceCall(VirtualUnit::Impl& impl, HANDLE h, std::string_view op,
                std::optional<std::uint32_t> arg,
                const std::function<DriverResult(Driver&, DeviceOpen&)>& call);
// The name of the device open on h ("COM7:"), empty when h is no device.
std::string DeviceNameOf(VirtualUnit::Impl& impl, HANDLE h);

}  // namespace host::unit
