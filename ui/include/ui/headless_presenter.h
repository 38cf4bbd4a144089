// A presenter without a screen, driven by a list of steps: each time the
// framework waits for input, the next step runs (on the UI thread, inside
// whatever loop is waiting) and hands back an event. Tests and the script
// runner build on it. When the list is empty the run is ended: the active
// window gets Esc (its cancel command), and if the same window is still
// active at the next wait the framework is told to quit. While a window
// waits for a worker thread (or there is no window at all) it blocks until
// another thread wakes it instead.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

#include "ui/graphics.h"
#include "ui/manual_clock.h"
#include "ui/presenter.h"
#include "ui/types.h"

namespace ui {

class HeadlessPresenter : public Presenter {
  public:
    // clock: what wait steps advance; may be null when no step waits.
    explicit HeadlessPresenter(ManualClock* clock = nullptr);

    void Present(const Framebuffer& screen) override;
    InputEvent WaitEvent(std::optional<std::uint64_t> deadlineMs) override;
    void Wake() override;

    // A step that runs once and returns the event for the framework (Wake
    // when it has nothing to deliver). Steps may add further steps.
    void Add(std::function<InputEvent()> step);
    // Runs a function (a check, a direct call) and delivers nothing.
    void AddCall(std::function<void()> call);
    void AddEvent(InputEvent event);
    void AddTap(int x, int y);
    void AddKey(Key key);
    // Advances the clock by ms, stopping at every timer deadline on the way
    // so that every due timer and message runs in order.
    void AddWait(std::uint64_t ms);
    // Holds the steps until condition() is true, checking it between rounds
    // of the framework and blocking (no spinning) until another thread wakes
    // the framework: for results that workers bring.
    void AddWaitUntil(std::function<bool()> condition);

    [[nodiscard]] std::size_t PendingSteps() const;
    void ClearSteps();
    // The last presented frame and how many frames were presented.
    [[nodiscard]] const Framebuffer& LastFrame() const { return frame_; }
    [[nodiscard]] std::uint64_t PresentCount() const { return presents_; }

  private:
    struct Step {
        enum class Kind { Call, Wait, WaitUntil } kind = Kind::Call;
        std::function<InputEvent()> call;
        std::function<bool()> condition;
        std::uint64_t ms = 0;
        std::optional<std::uint64_t> target;
    };
    InputEvent EndOfSteps();

    ManualClock* clock_;
    std::deque<Step> steps_;  // UI thread only
    Framebuffer frame_;
    std::uint64_t presents_ = 0;
    HWND lastCancelled_ = nullptr;

    mutable std::mutex mutex_;
    std::condition_variable woken_cv_;
    bool woken_ = false;
};

}  // namespace ui
