#include "win32/script_target.h"

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

}  // namespace win32
