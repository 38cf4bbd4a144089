#include "win32/script_target.h"

#include "platform/last_error.h"
#include "platform/services.h"
#include "win32/pc/backend.h"

namespace win32 {

ScriptTarget::ScriptTarget(pc::Backend& backend) : backend_(backend) {}

std::uint64_t ScriptTarget::NowMs() const {
    return backend_.Services().clock->NowMs();
}

std::string ScriptTarget::Activity() const {
    return "the PC's own threads";
}

platform::Result<void> ScriptTarget::Set(std::string_view key, std::string_view /*value*/) {
    if (key == "gpio.power_key" || key == "gpio.guide_key") {
        return platform::Fail("a PC has no " +
                              std::string(key == "gpio.power_key" ? "POWER" : "GUIDE") +
                              " key: the unit's keys are pins of its GPIO block");
    }
    return platform::Fail("a PC is not a virtual unit: there is no key \"" + std::string(key) +
                          "\" to set");
}

std::vector<std::string> ScriptTarget::DebugLines() const {
    return backend_.DebugLines();
}

platform::Traffic* ScriptTarget::Traffic() {
    return &backend_.Traffic();
}

platform::Traffic* ScriptTarget::TrafficOf(std::string_view device) {
    return device == "COM7:" ? &backend_.Traffic() : nullptr;
}

platform::Result<std::optional<std::string>> ScriptTarget::FileContent(
    std::string_view unitPath) const {
    platform::Kernel& kernel = *backend_.Services().kernel;
    const platform::HANDLE h = kernel.CreateFile(
        unitPath, platform::GENERIC_READ, platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE,
        platform::OPEN_EXISTING, 0);
    if (h == platform::INVALID_HANDLE_VALUE) {
        const platform::DWORD error = platform::GetLastError();
        if (error == platform::ERROR_FILE_NOT_FOUND || error == platform::ERROR_PATH_NOT_FOUND) {
            return std::optional<std::string>();
        }
        return platform::Fail("\"" + std::string(unitPath) + "\" cannot be opened: error " +
                              std::to_string(error));
    }
    std::string content;
    char buffer[4096];
    platform::DWORD read = 0;
    platform::BOOL ok = platform::TRUE;
    while ((ok = kernel.ReadFile(h, buffer, sizeof buffer, &read)) != platform::FALSE && read > 0) {
        content.append(buffer, read);
    }
    const platform::DWORD error = platform::GetLastError();
    kernel.CloseHandle(h);
    if (ok == platform::FALSE) {
        return platform::Fail("\"" + std::string(unitPath) + "\" cannot be read: error " +
                              std::to_string(error));
    }
    return std::optional<std::string>(std::move(content));
}

platform::Result<bool> ScriptTarget::RegistryKeyPresent(std::string_view key) const {
    platform::Registry& registry = *backend_.Services().registry;
    platform::HKEY opened = 0;
    const platform::LONG result = registry.RegOpenKeyEx(platform::HKEY_LOCAL_MACHINE, key, 0,
                                                        platform::KEY_QUERY_VALUE, &opened);
    if (result == static_cast<platform::LONG>(platform::ERROR_SUCCESS)) {
        registry.RegCloseKey(opened);
        return true;
    }
    if (result == static_cast<platform::LONG>(platform::ERROR_FILE_NOT_FOUND)) {
        return false;
    }
    return platform::Fail("the key \"" + std::string(key) + "\" cannot be opened: error " +
                          std::to_string(result));
}

}  // namespace win32
