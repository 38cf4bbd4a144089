// The kestrin program on any backend: the scripts when there are any, else
// the window, else the tour of the pages.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <span>
#include <string_view>

#include "platform/exit_status.h"
#include "program/options.h"
#include "program/seam.h"

namespace program {

// Ways in for tests of the windowed run.
struct Hooks {
    bool hiddenWindow = false;
    // After every frame the window shows, on the UI thread.
    std::function<void(std::uint64_t frame)> afterPresent;
};

// Runs the program; returns its exit status. Notes go to out, errors to err.
int Run(const Options& options, Seam& seam, std::ostream& out, std::ostream& err,
        const Hooks& hooks = {});

// The whole program: reads the command line (the seam's options among
// them), answers --help, or says what is wrong with the usage, then runs.
int Main(std::string_view name, std::span<const std::string_view> arguments, Seam& seam,
         std::ostream& out, std::ostream& err);

}  // namespace program
