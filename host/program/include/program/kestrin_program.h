// The host program `kestrin`: finds and loads the unit, installs its
// services, and runs the console in the SDL window, under a script, or on
// the tour of its pages when there is no display.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>

#include "program/kestrin_options.h"

namespace sdl {
class SdlPresenter;
}

namespace program {

inline constexpr int kExitUsage = 2;  // bad arguments, script or unit

// Where the unit comes from when no --unit is given.
struct UnitSources {
    std::filesystem::path builtIn;                 // the default unit (program/default_unit.h)
    std::optional<std::filesystem::path> fromEnv;  // KESTRIN_UNIT_DIR, when set
};

// Ways in for tests of the windowed run.
struct KestrinHooks {
    bool hiddenWindow = false;
    // After every frame the window shows, on the UI thread.
    std::function<void(sdl::SdlPresenter&, std::uint64_t frame)> afterPresent;
};

// Runs the program; returns its exit status. Notes go to out, errors to err.
int RunKestrin(const KestrinOptions& options, const UnitSources& sources, std::ostream& out,
               std::ostream& err, const KestrinHooks& hooks = {});

}  // namespace program
