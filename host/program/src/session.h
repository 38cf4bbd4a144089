// One loaded unit with everything a run of the console needs around it:
// sound output, touch panel, the unit as the script target, and its end
// product, the sound as WAV (--audio-out).
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>

#include "host/script_target.h"
#include "host/unit/fresh_copies.h"
#include "host/unit/temp_dir.h"
#include "host/unit/virtual_unit.h"
#include "program/interrupt.h"
#include "program/seam.h"

namespace host::sound {
class WaveOutput;
}

namespace host {

// Without a touch panel of the unit, calibration cannot run.
class NoTouch final : public platform::Touch {
  public:
    platform::BOOL TouchCalibrate() override { return platform::FALSE; }
};

class Session final : public program::Session {
  public:
    struct Plan {
        std::filesystem::path source;  // the unit's folder
        // Run on a fresh copy of it (its copies), else on it in place.
        unit::FreshCopies* copies = nullptr;
        bool virtualTime = true;
        // A unit on a device of the host is refused before any of it starts
        // (a run on the virtual clock cannot take one), saying what to do
        // with --real-time ("run the script"); empty: not refused.
        std::string refuseHostDevices;
        bool debugEcho = false;
        std::optional<std::filesystem::path> audioOut;
    };
    // Why not (the line the run writes, without its line break) when it
    // cannot be loaded.
    static platform::Result<std::unique_ptr<Session>> Load(const Plan& plan);
    ~Session() override;

    platform::Services Services() override { return services_; }
    script::Target& Target() override { return target_; }
    std::unique_ptr<ui::Presenter> HardwareKeyPresenter(ui::Presenter& window) override;
    // The clock goes on in real time and the sound card starts, as for a window.
    void ContinueInRealTime(std::ostream& out) override;
    platform::Result<void> Finish() override;

    unit::VirtualUnit& unit() { return *unit_; }

  private:
    Session(std::optional<unit::TempDir> copied, program::OnInterrupt removeCopy,
            std::unique_ptr<unit::VirtualUnit> unit, std::optional<std::filesystem::path> audioOut);

    std::optional<unit::TempDir> copied_;
    program::OnInterrupt removeCopy_;  // an interrupted run leaves no copy
    std::unique_ptr<unit::VirtualUnit> unit_;
    std::optional<std::filesystem::path> audioOut_;
    std::unique_ptr<sound::WaveOutput> ownSound_;
    NoTouch noTouch_;
    platform::Services services_;
    ScriptTarget target_;
};

}  // namespace host
