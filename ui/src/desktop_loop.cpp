// The message loop every modal run and wait uses: sent messages, then posted
// messages, then input, then due timers, then painting; then it waits for
// the presenter until the next timer is due.
#include "desktop_impl.h"

namespace ui::detail {

bool DesktopImpl::ServeSent() {
    bool any = false;
    while (std::shared_ptr<SentItem> item = hub->TakeSent()) {
        any = true;
        LRESULT result = 0;
        if (item->invoke) {
            if (item->hwnd == nullptr || Find(item->hwnd) != nullptr) {
                item->invoke();
                result = 1;
            }
        } else if (WindowRecord* w = Find(item->hwnd)) {
            result = Dispatch(w, item->message, item->wParam, item->lParam);
        }
        hub->Complete(item, result);
    }
    return any;
}

bool DesktopImpl::DispatchPostedBatch(const std::function<bool()>& done) {
    // Only what is queued now: handlers that post again wait for the next
    // round, after input, timers and painting.
    std::size_t count = hub->PostedCount();
    bool any = false;
    MSG msg;
    while (count-- > 0 && !done() && hub->TakePosted(&msg, nullptr, 0, 0, true)) {
        any = true;
        if (WindowRecord* w = Find(msg.hwnd)) {
            Dispatch(w, msg.message, msg.wParam, msg.lParam);
        }
        ServeSent();
    }
    return any;
}

bool DesktopImpl::ProcessInjectedInput(const std::function<bool()>& done) {
    bool any = false;
    InputEvent event;
    while (!done() && hub->TakeInput(&event)) {
        any = true;
        HandleInput(event);
    }
    return any;
}

bool DesktopImpl::QueuesEmpty() const {
    return hub->Empty();
}

void DesktopImpl::RunLoop(const std::function<bool()>& done, LoopKind kind) {
    loops_.push_back(kind);
    struct Pop {
        std::vector<LoopKind>& loops;
        ~Pop() { loops.pop_back(); }
    } pop{loops_};
    for (;;) {
        if (hub->TakeQuitRequest()) {
            quitting = true;
        }
        if (done()) {
            return;
        }
        bool worked = ServeSent();
        if (done()) {
            return;
        }
        worked = DispatchPostedBatch(done) || worked;
        if (done()) {
            return;
        }
        worked = ProcessInjectedInput(done) || worked;
        if (done()) {
            return;
        }
        worked = FireDueTimers() || worked;
        if (done()) {
            return;
        }
        PaintAndPresent();
        ReleaseZombies();
        if (kind == LoopKind::Modal) {
            // Not in a thread wait: the code that waits may still hold the
            // objects released here.
            ReleaseWaitedThreads(*this, modalStack_.size());
        }
        if (done()) {
            return;
        }
        if (worked || !hub->Empty()) {
            continue;
        }
        const std::optional<std::uint64_t> next = NextDue();
        if (next.has_value() && *next <= Now()) {
            continue;
        }
        if (quitting) {
            // The presenter has said its last word; only other threads can
            // still bring something (a thread ending, a sent message).
            hub->WaitInternal();
            continue;
        }
        HandleInput(presenter.WaitEvent(next));
    }
}

void DesktopImpl::PumpPending() {
    const std::function<bool()> never = [] { return false; };
    for (int round = 0; round < 1000; ++round) {
        if (hub->TakeQuitRequest()) {
            quitting = true;
        }
        bool worked = ServeSent();
        worked = DispatchPostedBatch(never) || worked;
        worked = ProcessInjectedInput(never) || worked;
        worked = FireDueTimers() || worked;
        PaintAndPresent();
        ReleaseZombies();
        if (!worked && hub->Empty()) {
            return;
        }
    }
}

}  // namespace ui::detail
