// The virtual unit as the target of a script run: its scheduler's clock and
// threads, its unit.toml keys, its debug output, its files, registry and
// traffic.
#pragma once

#include "script/target.h"

namespace host::unit {
class VirtualUnit;
}

namespace host {

class ScriptTarget final : public script::Target {
  public:
    explicit ScriptTarget(unit::VirtualUnit& unit) : unit_(unit) {}

    [[nodiscard]] bool VirtualTime() const override;
    [[nodiscard]] std::uint64_t NowMs() const override;
    void AdvanceTo(std::uint64_t ms) override;
    [[nodiscard]] std::optional<std::uint64_t> NextDeadline() const override;
    [[nodiscard]] bool Quiescent() const override;
    bool WaitQuiescent(std::chrono::milliseconds limit) override;
    [[nodiscard]] std::string Activity() const override;
    platform::Result<void> Set(std::string_view key, std::string_view value) override;
    [[nodiscard]] std::vector<std::string> DebugLines() const override;
    [[nodiscard]] platform::Traffic* Traffic() override;
    [[nodiscard]] platform::Result<std::optional<std::string>> FileContent(
        std::string_view unitPath) const override;
    [[nodiscard]] platform::Result<bool> RegistryKeyPresent(std::string_view key) const override;
    // Shuts the unit's scheduler down: every wait of its threads returns.
    void Stop() override;

  private:
    unit::VirtualUnit& unit_;
};

}  // namespace host
