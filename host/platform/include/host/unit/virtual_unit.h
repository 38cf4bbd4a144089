// The virtual unit: a unit directory (unit.toml, registry.reg, fs/) brought
// to life as the platform's kernel, power status, registry and device
// manager (Services()), plus a host-side API for tests, the script runner
// and the other host components. Every call is thread-safe.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/unit/component.h"
#include "host/unit/config_error.h"
#include "host/unit/driver.h"
#include "host/unit/schema.h"
#include "host/unit/temp_dir.h"
#include "platform/kernel.h"
#include "platform/services.h"
#include "platform/traffic.h"

namespace host::unit {

class Scheduler;
class VirtualClock;

using platform::HANDLE;
using platform::HKEY;
using platform::LONG;

class VirtualUnit;

struct LoadOptions {
    bool virtualTime = false;  // scripts and tests: time moves only when advanced
    std::uint64_t startMs = 0;
    // Asked once the configuration is read and before any component starts
    // (no device thread runs, no host device or standard input is taken):
    // an error stops the load there. A run that cannot take a unit on a
    // host device (VirtualUnit::UsesHostDevice) refuses it here.
    std::function<SetError(const VirtualUnit&)> beforeStart = {};
    // The unit's folder is read in place and never written: what the run
    // writes (files under fs/, registry.reg) goes into this folder instead,
    // made when first needed, and is read back from there.
    std::optional<std::filesystem::path> writeTo = std::nullopt;
};

// A registry value as the host sees it.
struct RegValue {
    DWORD type = 0;    // REG_SZ or REG_DWORD
    std::string text;  // REG_SZ
    DWORD dword = 0;   // REG_DWORD
};

class VirtualUnit final : public platform::Kernel {
  public:
    ~VirtualUnit() override;

    // The services to install (kernel, power, registry, clock).
    platform::Services Services();

    // ---- platform::Kernel
    HANDLE CreateFile(std::string_view name, DWORD access, DWORD share, DWORD creation,
                      DWORD flags) override;
    BOOL ReadFile(HANDLE h, void* buffer, DWORD toRead, DWORD* read) override;
    BOOL WriteFile(HANDLE h, const void* buffer, DWORD toWrite, DWORD* written) override;
    BOOL DeviceIoControl(HANDLE h, DWORD code, const void* in, DWORD inSize, void* out,
                         DWORD outSize, DWORD* returned) override;
    BOOL CloseHandle(HANDLE h) override;
    HANDLE FindFirstFile(std::string_view pattern, platform::WIN32_FIND_DATA* data) override;
    BOOL FindNextFile(HANDLE find, platform::WIN32_FIND_DATA* data) override;
    BOOL FindClose(HANDLE find) override;
    BOOL CopyFile(std::string_view existing, std::string_view target, BOOL failIfExists) override;
    BOOL DeleteFile(std::string_view path) override;
    BOOL GetDiskFreeSpaceEx(std::string_view directory, std::uint64_t* freeToCaller,
                            std::uint64_t* total, std::uint64_t* totalFree) override;
    BOOL FileTimeToSystemTime(const platform::FILETIME& time, platform::SYSTEMTIME* out) override;
    void* VirtualAlloc(void* address, DWORD size, DWORD type, DWORD protect) override;
    BOOL VirtualCopy(void* destination, std::uint32_t kernelAddress, DWORD size,
                     DWORD protect) override;
    BOOL VirtualFree(void* address, DWORD size, DWORD type) override;
    void* LocalAlloc(DWORD flags, std::size_t bytes) override;
    void* LocalFree(void* memory) override;
    BOOL GetCommState(HANDLE h, platform::DCB* dcb) override;
    BOOL SetCommState(HANDLE h, const platform::DCB& dcb) override;
    BOOL GetCommTimeouts(HANDLE h, platform::COMMTIMEOUTS* timeouts) override;
    BOOL SetCommTimeouts(HANDLE h, const platform::COMMTIMEOUTS& timeouts) override;
    BOOL SetCommMask(HANDLE h, DWORD mask) override;
    BOOL WaitCommEvent(HANDLE h, DWORD* eventMask) override;
    BOOL ClearCommError(HANDLE h, DWORD* errors, platform::COMSTAT* status) override;
    HANDLE CreateThread(std::function<DWORD()> entry, int priority) override;
    DWORD WaitForSingleObject(HANDLE h, DWORD milliseconds) override;
    void DebugOutput(std::string_view text) override;

    // ---- host side: configuration
    [[nodiscard]] const std::filesystem::path& Dir() const;
    [[nodiscard]] std::filesystem::path FsRoot() const;
    // The host file a unit path names (existing or not), if it stays in fs/.
    [[nodiscard]] std::optional<std::filesystem::path> HostPath(std::string_view unitPath) const;
    // Changes a unit.toml key of the running unit ("pwm.photo_level", "700").
    SetError Set(std::string_view dottedKey, std::string_view value);

    // ---- host side: drivers and faults
    // Registers a driver under its device name ("GPS1:") and declares its
    // table with the keys every device has: absent (bool) and the fail table.
    Schema::Table& AddDevice(Schema& schema, const std::string& table,
                             const std::string& deviceName, std::shared_ptr<Driver> driver);
    [[nodiscard]] std::shared_ptr<Driver> FindDriver(std::string_view deviceName) const;
    // Whether CreateFile(deviceName) would find the device right now.
    [[nodiscard]] bool DevicePresent(std::string_view deviceName) const;
    void SetDeviceAbsent(std::string_view deviceName, bool absent);
    // op as in the fail tables ("open", "ioctl:0x13"); code 0 clears. Error text or empty.
    std::string FailDevice(std::string_view deviceName, std::string_view op, DWORD code);
    std::string FailKernel(std::string_view op, DWORD code);
    [[nodiscard]] Component* FindComponent(std::string_view name) const;
    // The first component setting that takes a host device (see
    // Component::UsesHostDevice): such a unit keeps real time, whatever its
    // clock does.
    bool UsesHostDevice(std::string* which) const;
    // Standard input has one reader: the first key to claim it gets it
    // (empty result); a later claim gets the key that holds it.
    std::string ClaimStandardInput(const std::string& key);

    // ---- host side: registers (any 4-aligned address inside a block)
    [[nodiscard]] std::uint32_t ReadWord(std::uint32_t kernelAddress) const;
    bool WriteWord(std::uint32_t kernelAddress, std::uint32_t value);
    [[nodiscard]] bool Pin(int pin) const;
    void SetPin(int pin, bool level);
    // Address-space reservations the system holds.
    [[nodiscard]] int Reservations() const;

    // ---- host side: registry
    [[nodiscard]] std::optional<RegValue> RegistryValue(std::string_view key,
                                                        std::string_view name) const;
    [[nodiscard]] bool RegistryKeyExists(std::string_view key) const;
    [[nodiscard]] std::vector<std::string> RegistrySubKeys(std::string_view key) const;

    // ---- host side: debug output
    [[nodiscard]] std::vector<std::string> DebugLines() const;
    void ClearDebugLines();
    void SetDebugEcho(bool echo);  // copy every text to stderr

    // ---- host side: the traffic across the unit's devices, on its clock
    // (ports, control requests, file and registry changes; the sound
    // component reports its sounds here too)
    platform::Traffic& traffic();

    // ---- host side: threads and time
    unit::Scheduler& scheduler();
    platform::Clock& Clock();
    VirtualClock* Virtual();  // null on real time
    [[nodiscard]] bool Quiescent() const;
    [[nodiscard]] int LiveSystemThreads() const;
    [[nodiscard]] int OpenHandles() const;
    [[nodiscard]] int LocalBlocks() const;

    struct Impl;
    // Only LoadUnit (and PrepareUnitFiles) can make one.
    class Key {
        friend Result<std::unique_ptr<VirtualUnit>> LoadUnit(const std::filesystem::path& dir,
                                                             const Components& components,
                                                             const LoadOptions& options);
        friend Result<void> PrepareUnitFiles(const std::filesystem::path& dir,
                                             const Components& components);
        Key() = default;
    };
    VirtualUnit(Key key, std::unique_ptr<Impl> impl);

  private:
    std::unique_ptr<Impl> impl_;
};

// Loads a unit directory with one component of each kind given, in that
// order; a ConfigError names the file, line and key (or the kind given
// twice).
Result<std::unique_ptr<VirtualUnit>> LoadUnit(const std::filesystem::path& dir,
                                              const Components& components,
                                              const LoadOptions& options = {});

// Reads the unit in dir as LoadUnit does and makes the files its unit.toml
// generates ([[fs.file]], [[fs.dir]]) in dir, starting nothing: a copy so
// made is loaded with LoadOptions::writeTo without writing to it.
Result<void> PrepareUnitFiles(const std::filesystem::path& dir, const Components& components);

// A fresh temporary copy of a unit directory, so that a run never changes
// the source.
Result<TempDir> MakeFreshCopy(const std::filesystem::path& sourceDir);

}  // namespace host::unit
