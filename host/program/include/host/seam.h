// The virtual unit beneath kestrin: the host's options (--unit,
// --fresh-copy, --audio-out, --debug-echo), a unit loaded for each run with
// its sound and touch panel, the unit as the scripts' target, F1 and F2 as
// the unit's keys, and the SDL window.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "program/interrupt.h"
#include "program/seam.h"

namespace host::window {
class SdlPresenter;
}
namespace host::unit {
class FreshCopies;
}

namespace host {

// The host's own options.
struct UnitOptions {
    std::optional<std::filesystem::path> unitDir;   // --unit DIR: that unit, in place
    bool freshCopy = false;                         // --fresh-copy: a copy of it instead
    std::optional<std::filesystem::path> audioOut;  // --audio-out FILE, at the end
    bool debugEcho = false;                         // --debug-echo
};

// Where the unit comes from when no --unit is given.
struct UnitSources {
    // The default unit; empty: found beside the program when it is needed
    // (host/default_unit.h).
    std::filesystem::path builtIn;
    std::optional<std::filesystem::path> fromEnv;  // KESTRIN_UNIT_DIR, when set
};

class Seam final : public program::Seam {
  public:
    explicit Seam(UnitSources sources, UnitOptions options = {});
    ~Seam() override;
    Seam(const Seam&) = delete;
    Seam& operator=(const Seam&) = delete;

    std::vector<program::OptionSpec> OwnOptions() override;
    [[nodiscard]] bool EndProductsWanted() const override;
    platform::Result<void> Ready() override;
    platform::Result<std::unique_ptr<program::Session>> Load(const program::SessionRequest& request,
                                                             std::ostream& out) override;
    platform::Result<void> DisplayReady() override;
    platform::Result<program::OpenedWindow> OpenWindow(
        program::Session& session, const program::WindowOptions& options) override;

    [[nodiscard]] const UnitOptions& options() const { return options_; }
    // The last window opened (tests make up its events); nullptr before.
    [[nodiscard]] window::SdlPresenter* window() const { return window_; }

  private:
    // The fresh copies of the unit, made when the first run wants one.
    platform::Result<unit::FreshCopies*> CopiesOf(const std::filesystem::path& source);

    UnitSources sources_;
    UnitOptions options_;
    window::SdlPresenter* window_ = nullptr;
    std::filesystem::path copiesOf_;
    std::unique_ptr<unit::FreshCopies> copies_;
    program::OnInterrupt removeCopies_;  // an interrupted run leaves none
};

}  // namespace host
