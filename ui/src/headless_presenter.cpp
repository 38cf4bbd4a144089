#include "ui/headless_presenter.h"

#include <algorithm>
#include <utility>

#include "ui/desktop.h"

namespace ui {

HeadlessPresenter::HeadlessPresenter(ManualClock* clock) : clock_(clock) {}

void HeadlessPresenter::Present(const Framebuffer& screen) {
    frame_ = screen;
    ++presents_;
}

void HeadlessPresenter::Wake() {
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    woken_cv_.notify_all();
}

InputEvent HeadlessPresenter::WaitEvent(std::optional<std::uint64_t> deadlineMs) {
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (std::exchange(woken_, false)) {
                return {};
            }
        }
        if (steps_.empty()) {
            return EndOfSteps();
        }
        Step& step = steps_.front();
        switch (step.kind) {
            case Step::Kind::Wait: {
                if (clock_ == nullptr) {
                    steps_.pop_front();
                    continue;
                }
                if (!step.target.has_value()) {
                    step.target = clock_->NowMs() + step.ms;
                }
                const std::uint64_t target = *step.target;
                if (deadlineMs.has_value() && *deadlineMs <= target) {
                    // Stop at the timer; the wait goes on at the next call.
                    clock_->Set(std::max(clock_->NowMs(), *deadlineMs));
                    return {};
                }
                clock_->Set(std::max(clock_->NowMs(), target));
                steps_.pop_front();
                continue;
            }
            case Step::Kind::WaitUntil: {
                if (step.condition()) {
                    steps_.pop_front();
                    continue;
                }
                std::unique_lock lock(mutex_);
                woken_cv_.wait(lock, [&] { return woken_; });
                woken_ = false;
                return {};
            }
            case Step::Kind::Call: {
                const std::function<InputEvent()> call = std::move(step.call);
                steps_.pop_front();
                lastCancelled_ = nullptr;
                return call();
            }
        }
    }
}

InputEvent HeadlessPresenter::EndOfSteps() {
    Desktop* desktop = Desktop::Current();
    const HWND top = desktop != nullptr ? desktop->ActiveWindow() : nullptr;
    InputEvent event;
    if (top == nullptr || desktop->WaitingForThread()) {
        // Nothing to cancel, or a window waits for its worker: only another
        // thread can bring something now.
        std::unique_lock lock(mutex_);
        woken_cv_.wait(lock, [&] { return woken_; });
        woken_ = false;
        return event;
    }
    if (top == lastCancelled_) {
        event.kind = InputEvent::Kind::Quit;
        return event;
    }
    lastCancelled_ = top;
    event.kind = InputEvent::Kind::KeyDown;
    event.key = Key::Escape;
    return event;
}

void HeadlessPresenter::Add(std::function<InputEvent()> step) {
    Step s;
    s.kind = Step::Kind::Call;
    s.call = std::move(step);
    steps_.push_back(std::move(s));
}

void HeadlessPresenter::AddCall(std::function<void()> call) {
    Add([call = std::move(call)] {
        call();
        return InputEvent{};
    });
}

void HeadlessPresenter::AddEvent(InputEvent event) {
    Add([event = std::move(event)] { return event; });
}

void HeadlessPresenter::AddTap(int x, int y) {
    AddEvent({InputEvent::Kind::PenDown, x, y, Key::None, {}});
    AddEvent({InputEvent::Kind::PenUp, x, y, Key::None, {}});
}

void HeadlessPresenter::AddKey(Key key) {
    AddEvent({InputEvent::Kind::KeyDown, 0, 0, key, {}});
}

void HeadlessPresenter::AddWait(std::uint64_t ms) {
    Step s;
    s.kind = Step::Kind::Wait;
    s.ms = ms;
    steps_.push_back(std::move(s));
}

void HeadlessPresenter::AddWaitUntil(std::function<bool()> condition) {
    Step s;
    s.kind = Step::Kind::WaitUntil;
    s.condition = std::move(condition);
    steps_.push_back(std::move(s));
}

std::size_t HeadlessPresenter::PendingSteps() const {
    return steps_.size();
}

void HeadlessPresenter::ClearSteps() {
    steps_.clear();
}

}  // namespace ui
