// Carries out the commands that act on the screen: input becomes events for
// the framework (queued here, handed over one at a time by the runner),
// `unit` and the unit's keys go to the target, `screenshot` writes the screen.
#pragma once

#include <deque>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/result.h"
#include "script/script.h"
#include "script/target.h"
#include "ui/desktop.h"
#include "ui/presenter.h"

namespace script::detail {

class Executor {
  public:
    // target must outlive it; a relative screenshot goes to screenshotFolder.
    Executor(Target& target, std::filesystem::path screenshotFolder);

    // Carries out an action (not a wait and not an expectation): why it
    // failed, or nothing.
    platform::Result<void> Run(const Action& action, ui::Desktop& desktop);

    // The events the commands so far left for the framework.
    std::deque<ui::InputEvent>& Pending() { return pending_; }

  private:
    void Press(ui::InputEvent::Kind kind, int x, int y);
    void Tap(ui::Point p);
    platform::Result<void> Do(const script::Tap& c, ui::Desktop& desktop);
    platform::Result<void> Do(const PenDown& c, ui::Desktop& desktop);
    platform::Result<void> Do(const PenMove& c, ui::Desktop& desktop);
    platform::Result<void> Do(const PenUp& c, ui::Desktop& desktop);
    platform::Result<void> Do(const Click& c, ui::Desktop& desktop);
    platform::Result<void> Do(const Tab& c, ui::Desktop& desktop);
    platform::Result<void> Do(const Type& c, ui::Desktop& desktop);
    platform::Result<void> Do(const KeyStroke& c, ui::Desktop& desktop);
    platform::Result<void> Do(const Close& c, ui::Desktop& desktop);
    platform::Result<void> Do(const Answer& c, ui::Desktop& desktop);
    platform::Result<void> Do(const Screenshot& c, ui::Desktop& desktop);
    platform::Result<void> Do(const SetUnit& c, ui::Desktop& desktop);
    platform::Result<void> Do(const Quit& c, ui::Desktop& desktop);
    platform::Result<void> Do(const Wait& c, ui::Desktop& desktop);
    platform::Result<void> Do(const Expectation& c, ui::Desktop& desktop);

    Target& target_;
    std::filesystem::path screenshotFolder_;
    std::deque<ui::InputEvent> pending_;
};

// The event of a key going down or up.
ui::InputEvent KeyEvent(ui::InputEvent::Kind kind, ui::Key key);

}  // namespace script::detail
