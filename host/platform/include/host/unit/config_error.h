// Problems found in a unit's configuration files or in a run-time setting,
// located by file, line and key, and the result type that carries them.
#pragma once

#include <optional>
#include <string>

#include "platform/result.h"

namespace host::unit {

struct ConfigError {
    std::string file;  // "unit.toml", "registry.reg"; empty for a run-time setting
    int line = 0;      // 1-based; 0 when no line applies
    std::string key;   // dotted key ("pwm.photo_level"); may be empty
    std::string message;

    // "<dir>/unit.toml:12: pwm.steps: expected an integer, found a string"
    [[nodiscard]] std::string Text() const;
};

// A value, or the configuration error that prevented it.
template <class T>
using Result = platform::Result<T, ConfigError>;

// nullopt when a setting was accepted.
using SetError = std::optional<ConfigError>;

}  // namespace host::unit
