// Problems found in a unit's configuration files or in a run-time setting,
// located by file, line and key, and the result type that carries them.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace unit {

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
class Result {
  public:
    Result(T value) : v_(std::in_place_index<0>, std::move(value)) {}            // NOLINT: implicit
    Result(ConfigError error) : v_(std::in_place_index<1>, std::move(error)) {}  // NOLINT

    [[nodiscard]] bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() { return std::get<0>(v_); }
    const T& value() const { return std::get<0>(v_); }
    T& operator*() { return value(); }
    T* operator->() { return &value(); }
    [[nodiscard]] const ConfigError& error() const { return std::get<1>(v_); }

  private:
    std::variant<T, ConfigError> v_;
};

// nullopt when a setting was accepted.
using SetError = std::optional<ConfigError>;

}  // namespace unit
