// What a backend gives the program layer: its own options as data, the
// platform beneath each run (loaded per script), that run's script target,
// and its window.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/result.h"
#include "platform/services.h"
#include "program/options.h"
#include "script/target.h"
#include "ui/presenter.h"

namespace program {

// What a session is loaded for.
struct SessionRequest {
    enum class Purpose { Script, Window, Tour };
    Purpose purpose = Purpose::Script;
    // The run moves the clock itself (scripts without --real-time, the tour,
    // a window opened at a script's line until it opens).
    bool virtualTime = true;
    // A script of a suite: any script run but that of a single script file
    // named, which may run on the unit in place.
    bool suite = false;
};

// The backend loaded beneath one run of the console.
class Session {
  public:
    Session() = default;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    virtual ~Session() = default;

    // The platform for the run; the program adds its prompt.
    [[nodiscard]] virtual platform::Services Services() = 0;
    virtual script::Target& Target() = 0;
    // A presenter over the window that reads the unit's hardware keys in its
    // input before the framework does; nullptr: the input as it comes.
    virtual std::unique_ptr<ui::Presenter> HardwareKeyPresenter(ui::Presenter& /*window*/) {
        return nullptr;
    }
    // The run's clock, virtual until now, goes on in real time from where it
    // stands, as a window's does (a script opened at a line hands its unit
    // to the window); notes go to out. Nothing where it is the wall clock.
    virtual void ContinueInRealTime(std::ostream& /*out*/) {}
    // Writes what the run leaves besides the screen; the reason when it
    // cannot.
    virtual platform::Result<void> Finish() { return {}; }
};

struct WindowOptions {
    int scale = 2;
    std::string title = "Kestrin";
    bool hidden = false;  // tests keep the window off the desktop
};

// An open window, and where the mouse is over the screen when it is.
struct OpenedWindow {
    std::unique_ptr<ui::Presenter> presenter;
    std::function<std::optional<ui::Point>()> pointer;
    // Asks the window to close as its close box does, from any thread (an
    // interrupt); empty: it cannot be asked.
    std::function<void()> close;
};

// How one backend's runs differ from another's.
struct Traits {
    // A window that cannot be made means the tour (no desktop to open one
    // on), not a failed start.
    bool tourWithoutWindow = false;
    // The tour answers every message box OK and lists it: the console has
    // much to say where the unit's drivers are missing.
    bool tourAnswersMessageBoxes = false;
    // F1 and F2 are the unit's POWER and GUIDE keys, so a recording notes them.
    bool unitKeys = false;
    // What a recording's replay names after the script ("--unit <the same unit>").
    std::string_view replayWith;
    // Its name in the references only it draws so ("diag.host.png").
    std::string_view backend;
    // Every script runs on the wall clock (a PC's own system): no two runs
    // are alike, so --repeat-each has nothing to compare.
    bool wallClockOnly = false;
};

class Seam {
  public:
    explicit Seam(Traits traits) : traits_(traits) {}
    Seam(const Seam&) = delete;
    Seam& operator=(const Seam&) = delete;
    virtual ~Seam() = default;

    [[nodiscard]] const Traits& traits() const { return traits_; }

    // Its own options (bound to itself) and the shared ones by name, in the
    // order of its usage.
    virtual std::vector<OptionSpec> OwnOptions() = 0;
    // One of its own end products (OptionSpec::endProduct) is asked for.
    [[nodiscard]] virtual bool EndProductsWanted() const { return false; }
    // Gets ready to run with the options read (finds what they leave to
    // it), before anything runs; fails with why it cannot.
    virtual platform::Result<void> Ready() { return {}; }

    // The backend for one run, or why it cannot be loaded (the line the run
    // writes, without its line break). Notes about the run go to out.
    virtual platform::Result<std::unique_ptr<Session>> Load(const SessionRequest& request,
                                                            std::ostream& out) = 0;

    // Whether a window may be shown, known before one is tried; a failure
    // says why not.
    virtual platform::Result<void> DisplayReady() { return {}; }
    // The window on the session's clock, or why it cannot be made.
    virtual platform::Result<OpenedWindow> OpenWindow(Session& session,
                                                      const WindowOptions& options) = 0;

  private:
    Traits traits_;
};

// The window of a presenter made as the SDL and the native window are
// (Create(Options{scale, title, hidden}, clock) giving a Result of it) that
// knows where the mouse is (Pointer()), on the session's clock. *opened: the
// presenter, or nullptr.
template <class Presenter>
platform::Result<OpenedWindow> OpenWindowOf(Session& session, const WindowOptions& options,
                                            Presenter** opened) {
    auto created = Presenter::Create(
        {.scale = options.scale, .title = options.title, .hidden = options.hidden},
        *session.Services().clock);
    if (!created) {
        *opened = nullptr;
        return platform::Fail(created.error());
    }
    std::unique_ptr<Presenter> presenter = std::move(*created);
    *opened = presenter.get();
    const Presenter* shown = presenter.get();
    return OpenedWindow{std::move(presenter), [shown] { return shown->Pointer(); }, {}};
}

}  // namespace program
