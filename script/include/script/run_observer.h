// What a run tells about each command as it ends, for a trace of the run:
// the command, how it ended, when, the screen after it and what the unit
// said on the way.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/traffic.h"
#include "script/script.h"
#include "ui/desktop.h"
#include "ui/graphics.h"

namespace script {

// The pictures of a failed `expect screen`: the compared area as it was, the
// reference and where the two differ (the last two when the reference could
// be read at the area's size).
struct ScreenPictures {
    ui::Framebuffer actual;
    std::optional<ui::Framebuffer> reference;
    std::optional<ui::Framebuffer> difference;
    ui::Rect area;                // what the pictures show, on the screen
    std::vector<ui::Rect> masks;  // left out of the comparison, on the screen
};

struct CommandRecord {
    const Command* command = nullptr;
    // Empty: it held or ran; else why it failed.
    std::string failure;
    std::uint64_t unitMs = 0;              // the target's clock as it ended
    std::chrono::duration<double> wall{};  // how long it took on the wall clock
    // The screen after it; nullptr when there was none (the program had ended).
    const ui::Framebuffer* screen = nullptr;
    std::vector<std::string> debugLines;           // since the previous command ended
    std::vector<ui::MessageBoxInfo> messageBoxes;  // came on top since then
    const ScreenPictures* pictures = nullptr;      // a failed `expect screen`
    // A failed command: the windows and controls then, as JSON (the
    // artifacts' windows.json); empty when there was no screen.
    std::string windows;
    // What crossed the unit's devices since the previous command ended (the
    // first command: since the unit's traffic was first kept); only for an
    // observer that wants it.
    std::vector<platform::TrafficEvent> traffic;
};

class RunObserver {
  public:
    RunObserver() = default;
    RunObserver(const RunObserver&) = delete;
    RunObserver& operator=(const RunObserver&) = delete;
    virtual ~RunObserver() = default;

    // On the runner's thread, as each command starts (for whoever must know
    // the line a run is on when it has to be ended).
    virtual void CommandStarted(const Command& /*command*/) {}
    // On the runner's thread, once for each command that ran (a failed one
    // last), in order.
    virtual void CommandEnded(const CommandRecord& record) = 0;
    // Whether the records carry the traffic: asked once, before the first
    // command; the unit then keeps its traffic for the whole run.
    [[nodiscard]] virtual bool WantsTraffic() const { return false; }
};

}  // namespace script
