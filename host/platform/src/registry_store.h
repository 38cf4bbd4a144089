// HKEY_LOCAL_MACHINE as kept in registry.reg: the REGEDIT4 text subset with
// string ("x") and dword (dword:0000000c) values. Key and value names are
// case-insensitive and keep the case they were written with.
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "host/unit/config_error.h"
#include "host/unit/virtual_unit.h"

namespace host::unit {

class RegistryStore {
  public:
    struct Val {
        std::string name;  // "" is the default value (@)
        RegValue value;
    };
    struct Key {
        std::string path;  // relative to HKEY_LOCAL_MACHINE, no outer backslashes
        std::vector<Val> values;
    };

    // Parses registry text; errors name the line.
    static Result<RegistryStore> Parse(std::string_view text, const std::string& fileName);
    [[nodiscard]] std::string Write() const;

    // "\Drivers\Active\" -> "Drivers\Active"; nullopt for empty components.
    static std::optional<std::string> Normalize(std::string_view path);

    [[nodiscard]] const Key* FindKey(std::string_view path) const;
    Key* FindKey(std::string_view path);
    // A key exists when it was written or when a written key lies below it.
    [[nodiscard]] bool Exists(std::string_view path) const;
    Key& Ensure(std::string_view path);
    // Removes the key and every key below it.
    void Remove(std::string_view path);
    // Names of the keys directly below path.
    [[nodiscard]] std::vector<std::string> SubKeys(std::string_view path) const;

    [[nodiscard]] static const Val* FindValue(const Key& key, std::string_view name);
    static void SetValue(Key& key, std::string_view name, RegValue value);

  private:
    std::vector<Key> keys_;
};

}  // namespace host::unit
