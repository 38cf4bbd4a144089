// A PC's own Win32 API as the target of a script run: the wall clock, real
// threads the runner cannot look into, the backend's debug lines, and the
// files under its root and its registry as they are. A PC has no unit keys,
// so `unit KEY VALUE` and the hardware keys fail with a message that says
// so. Of the unit's traffic it sees what crosses COM7:, a real serial port.
#pragma once

#include "script/target.h"

namespace win32::pc {
class Backend;
}  // namespace win32::pc

namespace win32 {

class ScriptTarget final : public script::Target {
  public:
    explicit ScriptTarget(pc::Backend& backend);

    [[nodiscard]] bool VirtualTime() const override { return false; }
    [[nodiscard]] std::uint64_t NowMs() const override;
    // The wall clock cannot be moved.
    void AdvanceTo(std::uint64_t /*ms*/) override {}
    [[nodiscard]] std::optional<std::uint64_t> NextDeadline() const override {
        return std::nullopt;
    }
    // The PC's threads run and block on their own; only the script's waits
    // and expectations with a time limit account for them.
    [[nodiscard]] bool Quiescent() const override { return true; }
    bool WaitQuiescent(std::chrono::milliseconds /*limit*/) override { return true; }
    [[nodiscard]] std::string Activity() const override;
    platform::Result<void> Set(std::string_view key, std::string_view value) override;
    [[nodiscard]] std::vector<std::string> DebugLines() const override;
    [[nodiscard]] platform::Traffic* Traffic() override;
    // COM7: only.
    [[nodiscard]] platform::Traffic* TrafficOf(std::string_view device) override;
    [[nodiscard]] platform::Result<std::optional<std::string>> FileContent(
        std::string_view unitPath) const override;
    [[nodiscard]] platform::Result<bool> RegistryKeyPresent(std::string_view key) const override;

  private:
    pc::Backend& backend_;
};

}  // namespace win32
