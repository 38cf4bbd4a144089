// Registry, kernel and prompt stand-ins for the driver switch that write
// every call into one shared log, so a test sees the order across all three.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/services.h"
#include "platform/text.h"
#include "test_support/unsupported_kernel.h"

namespace test_support {

using CallLog = std::vector<std::string>;

// The bytes of a REG_DWORD value as the registry stores them.
inline std::vector<std::uint8_t> Dword(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

inline std::string Hex(std::intptr_t value) {
    return platform::Format("0x%llx", static_cast<unsigned long long>(value));
}

class RecordingRegistry final : public platform::Registry {
  public:
    explicit RecordingRegistry(CallLog& log) : log_(log) {}

    // Keys under HKEY_LOCAL_MACHINE that can be opened, with the bytes of
    // their "Hnd" value (nullopt: the key has no such value).
    std::map<std::string, std::optional<std::vector<std::uint8_t>>, std::less<>> keys;
    platform::HANDLE activateResult = 0x77;

    platform::LONG RegOpenKeyEx(platform::HKEY root, std::string_view subKey,
                                platform::DWORD options, platform::DWORD access,
                                platform::HKEY* key) override {
        log_.push_back(platform::Format(
            "RegOpenKeyEx(%s, %.*s, %u, %u)", root == platform::HKEY_LOCAL_MACHINE ? "HKLM" : "?",
            static_cast<int>(subKey.size()), subKey.data(), options, access));
        const auto it = keys.find(subKey);
        if (root != platform::HKEY_LOCAL_MACHINE || it == keys.end()) {
            return static_cast<platform::LONG>(platform::ERROR_FILE_NOT_FOUND);
        }
        open_[next_] = it->first;
        *key = next_++;
        return static_cast<platform::LONG>(platform::ERROR_SUCCESS);
    }

    platform::LONG RegQueryValueEx(platform::HKEY key, std::string_view name, platform::DWORD* type,
                                   platform::BYTE* data, platform::DWORD* size) override {
        const auto it = open_.find(key);
        log_.push_back(platform::Format(
            "RegQueryValueEx(%s, %.*s, %u)", it == open_.end() ? "?" : it->second.c_str(),
            static_cast<int>(name.size()), name.data(), size == nullptr ? 0U : *size));
        if (it == open_.end()) {
            return static_cast<platform::LONG>(platform::ERROR_INVALID_HANDLE);
        }
        const std::optional<std::vector<std::uint8_t>>& value = keys.at(it->second);
        if (name != "Hnd" || !value.has_value()) {
            return static_cast<platform::LONG>(platform::ERROR_FILE_NOT_FOUND);
        }
        if (type != nullptr) {
            *type =
                value->size() == sizeof(std::uint32_t) ? platform::REG_DWORD : 3U;  // REG_BINARY
        }
        // As the registry does: a value larger than the buffer is not copied.
        const auto needed = static_cast<platform::DWORD>(value->size());
        if (size == nullptr || *size < needed) {
            if (size != nullptr) {
                *size = needed;
            }
            return platform::ERROR_MORE_DATA;
        }
        std::memcpy(data, value->data(), value->size());
        *size = needed;
        return static_cast<platform::LONG>(platform::ERROR_SUCCESS);
    }

    platform::LONG RegCloseKey(platform::HKEY key) override {
        const auto it = open_.find(key);
        log_.push_back("RegCloseKey(" + (it == open_.end() ? std::string("?") : it->second) + ")");
        if (it == open_.end()) {
            return static_cast<platform::LONG>(platform::ERROR_INVALID_HANDLE);
        }
        open_.erase(it);
        return static_cast<platform::LONG>(platform::ERROR_SUCCESS);
    }

    platform::HANDLE ActivateDevice(std::string_view key, platform::DWORD clientInfo) override {
        log_.push_back(platform::Format("ActivateDevice(%.*s, %u)", static_cast<int>(key.size()),
                                        key.data(), clientInfo));
        return activateResult;
    }

    platform::BOOL DeactivateDevice(platform::HANDLE device) override {
        log_.push_back("DeactivateDevice(" + Hex(device) + ")");
        return platform::TRUE;
    }

    // Keys opened and not closed.
    [[nodiscard]] std::size_t OpenKeys() const { return open_.size(); }

  private:
    CallLog& log_;
    std::map<platform::HKEY, std::string> open_;
    platform::HKEY next_ = 0x100;
};

class RecordingPrompt final : public platform::Prompt {
  public:
    explicit RecordingPrompt(CallLog& log) : log_(log) {}
    int MessageBox(std::string_view text, std::string_view caption, platform::UINT type) override {
        log_.push_back(platform::Format("MessageBox(%.*s, %.*s, %u)", static_cast<int>(text.size()),
                                        text.data(), static_cast<int>(caption.size()),
                                        caption.data(), type));
        return platform::IDOK;
    }

  private:
    CallLog& log_;
};

// Only CloseHandle belongs to the tool; anything else is logged as
// unexpected and fails.
class RecordingKernel final : public UnsupportedKernel {
  public:
    explicit RecordingKernel(CallLog& log) : log_(log) {}

    platform::BOOL CloseHandle(platform::HANDLE h) override {
        log_.push_back("CloseHandle(" + Hex(h) + ")");
        return platform::TRUE;
    }
    void DebugOutput(std::string_view text) override {
        log_.push_back("DebugOutput(" + std::string(text) + ")");
    }

  private:
    void Refused(std::string_view call) override {
        log_.push_back("unexpected " + std::string(call));
    }

    CallLog& log_;
};

// The three stand-ins installed for a scope, sharing one log.
struct RecordingPlatform {
    CallLog log;
    RecordingRegistry registry{log};
    RecordingKernel kernel{log};
    RecordingPrompt prompt{log};

    [[nodiscard]] platform::Services AsServices() {
        platform::Services services;
        services.kernel = &kernel;
        services.registry = &registry;
        services.prompt = &prompt;
        return services;
    }
};

}  // namespace test_support
