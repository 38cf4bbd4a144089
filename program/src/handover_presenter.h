// The presenter of a run that starts as a script and goes on in the window
// (--open-at): the runner's until it has stopped, settled, before its line;
// then the window's, opened then and shown the screen the runner left, so the
// framework's windows, timers and message boxes go on as they were.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

#include "script/script_runner.h"
#include "ui/desktop.h"
#include "ui/graphics.h"
#include "ui/presenter.h"

namespace program {

class HandoverPresenter final : public ui::Presenter {
  public:
    // Opens the window (on the UI thread, once); nullptr: it cannot, and the
    // run ends.
    using Open = std::function<ui::Presenter*()>;

    HandoverPresenter(script::ScriptRunner& runner, Open open)
        : runner_(runner), open_(std::move(open)) {}

    void Present(const ui::Framebuffer& screen) override {
        if (ui::Presenter* window = window_.load()) {
            window->Present(screen);
            return;
        }
        last_ = screen;
        shown_ = true;
        runner_.Present(screen);
    }

    ui::InputEvent WaitEvent(std::optional<std::uint64_t> deadlineMs) override {
        if (ui::Presenter* window = window_.load()) {
            return window->WaitEvent(deadlineMs);
        }
        if (!runner_.Stopped()) {
            ui::InputEvent e = runner_.WaitEvent(deadlineMs);
            if (!runner_.Stopped()) {
                return e;
            }
        }
        ui::Presenter* window = open_();
        if (window == nullptr) {
            ui::InputEvent quit;
            quit.kind = ui::InputEvent::Kind::Quit;
            return quit;
        }
        window_.store(window);
        // The screen as it stands, everything pending painted, is the window's
        // first frame.
        if (ui::Desktop* desktop = ui::Desktop::Current()) {
            desktop->InvalidateAll();
            static_cast<void>(desktop->Screen());
        } else if (shown_) {
            window->Present(last_);
        }
        return {};  // the framework looks at its queues and timers first
    }

    void Wake() override {
        ui::Presenter* window = window_.load();
        if (window != nullptr) {
            window->Wake();
        } else {
            runner_.Wake();
        }
    }

    [[nodiscard]] bool Opened() const { return window_.load() != nullptr; }

  private:
    script::ScriptRunner& runner_;
    Open open_;
    std::atomic<ui::Presenter*> window_{nullptr};
    ui::Framebuffer last_;
    bool shown_ = false;
};

}  // namespace program
