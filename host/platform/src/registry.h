// The unit's HKEY_LOCAL_MACHINE over registry.reg and its device manager:
// the registry calls, loading and unloading stream drivers (every change is
// saved at once), and what the host and the unit's devices read from it.
// Thread-safe.
#pragma once

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "handle_table.h"
#include "host/unit/config_error.h"
#include "platform/services.h"
#include "platform/traffic.h"
#include "registry_store.h"

namespace host::unit {

class UnitRegistry final : public platform::Registry {
  public:
    // file: registry.reg (saved there; read from pristine while it is not
    // there, when given). Device manager handles are taken from handles, so
    // that CloseHandle knows them. Keys made and removed go to traffic.
    UnitRegistry(std::filesystem::path file, HandleTable& handles, platform::Traffic& traffic,
                 std::filesystem::path pristine = {});

    // Reads the file; a unit without one starts with an empty registry.
    std::optional<ConfigError> Load();

    platform::LONG RegOpenKeyEx(platform::HKEY root, std::string_view subKey,
                                platform::DWORD options, platform::DWORD access,
                                platform::HKEY* key) override;
    platform::LONG RegQueryValueEx(platform::HKEY key, std::string_view name, platform::DWORD* type,
                                   platform::BYTE* data, platform::DWORD* size) override;
    platform::LONG RegCloseKey(platform::HKEY key) override;
    platform::HANDLE ActivateDevice(std::string_view key, platform::DWORD clientInfo) override;
    platform::BOOL DeactivateDevice(platform::HANDLE device) override;

    [[nodiscard]] std::optional<RegValue> Value(std::string_view key, std::string_view name) const;
    [[nodiscard]] bool KeyExists(std::string_view key) const;
    [[nodiscard]] std::vector<std::string> SubKeys(std::string_view key) const;

    // A built-in key describes the device ("PWM1:") and no active key names
    // it: the driver is not loaded, so the device cannot be opened.
    [[nodiscard]] bool DescribedAndInactive(std::string_view deviceName) const;

  private:
    // The error code, or ERROR_SUCCESS; the caller holds mutex_.
    platform::DWORD Save();

    const std::filesystem::path file_;
    const std::filesystem::path pristine_;
    HandleTable& handles_;
    platform::Traffic& traffic_;
    mutable std::mutex mutex_;
    RegistryStore store_;
    std::map<platform::HKEY, std::string> openKeys_;
    platform::HKEY nextKey_ = 0x100;
};

}  // namespace host::unit
