// A PC's own Win32 API beneath kestrin.exe: its options (--root, --com7,
// --debug-echo), a fresh backend for each run, the backend as the scripts'
// target, and the native window. A PC has none of the unit's drivers, so
// its tour answers the console's message boxes and lists them.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "program/seam.h"
#include "win32/pc/backend.h"

namespace win32::window {
class Win32Presenter;
}

namespace win32 {

class Seam final : public program::Seam {
  public:
    explicit Seam(pc::Options options = {});

    std::vector<program::OptionSpec> OwnOptions() override;
    platform::Result<std::unique_ptr<program::Session>> Load(const program::SessionRequest& request,
                                                             std::ostream& out) override;
    platform::Result<program::OpenedWindow> OpenWindow(
        program::Session& session, const program::WindowOptions& options) override;

    [[nodiscard]] const pc::Options& options() const { return options_; }
    // The window while it is open (tests post its messages); nullptr before.
    [[nodiscard]] window::Win32Presenter* window() const { return window_; }

  private:
    pc::Options options_;
    window::Win32Presenter* window_ = nullptr;
};

}  // namespace win32
