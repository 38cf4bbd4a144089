// What the technician does in the window, written down as a script: taps on
// controls as `click ID` (tab headers as `tab N`, message-box buttons as
// `answer`), other taps as `tap X Y`, strokes and holds as `down`/`move`/`up`,
// typed text as `type ID "..."`, keys, the unit's POWER and GUIDE keys
// (where F1 and F2 are those), and the time between actions as `wait`. F5 adds `expect text` for
// the control under the mouse, F6 `expect screen` with the reference picture written beside the
// script. Sits between the window and the rest of the program, so it sees every event before the
// framework acts on it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/result.h"
#include "platform/services.h"
#include "ui/presenter.h"

namespace ui {
class Desktop;
}

namespace program {

class Recorder final : public ui::Presenter {
  public:
    // What the window and the backend tell the recorder.
    struct Manner {
        // Where the mouse is over the screen, when it is.
        std::function<std::optional<ui::Point>()> pointer;
        // F1 and F2 are the unit's POWER and GUIDE keys.
        bool unitKeys = true;
        // What the replay line names after the script.
        std::string_view replayWith = "--unit <the same unit>";
        // The lines of the script the recording goes on from (--open-at),
        // written first, and that script's name.
        std::vector<std::string> continues;
        std::string continuesFrom;
    };

    Recorder(ui::Presenter& inner, platform::Clock& clock, std::filesystem::path file,
             Manner manner);

    void Present(const ui::Framebuffer& screen) override { inner_.Present(screen); }
    ui::InputEvent WaitEvent(std::optional<std::uint64_t> deadlineMs) override;
    void Wake() override { inner_.Wake(); }

    // Writes the script.
    platform::Result<void> Save();
    [[nodiscard]] const std::vector<std::string>& Lines() const { return lines_; }

  private:
    // A pen-down waiting for its pen-up: a tap, a hold or a stroke.
    struct Press {
        ui::Point at;
        std::uint64_t ms = 0;
        std::string asTap;  // the command a quick tap here becomes
        bool stroke = false;
    };
    // Returns false when the event is the recorder's own (F5, F6).
    bool Observe(const ui::InputEvent& e, ui::Desktop& desktop);
    void Note(std::string command, std::uint64_t atMs);
    void FlushText();
    [[nodiscard]] std::string TapCommand(ui::Desktop& desktop, ui::Point p) const;
    void NoteExpectText(ui::Desktop& desktop);
    void NoteExpectScreen(ui::Desktop& desktop);

    ui::Presenter& inner_;
    platform::Clock& clock_;
    std::filesystem::path file_;
    Manner manner_;
    std::vector<std::string> lines_;
    std::uint64_t lastMs_;
    std::optional<Press> press_;
    int typedId_ = 0;
    std::string typed_;
    std::uint64_t typedMs_ = 0;
    int screens_ = 0;
    std::string problem_;  // a reference picture that could not be written
};

}  // namespace program
