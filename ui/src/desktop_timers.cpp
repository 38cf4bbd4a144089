// Window timers on the desktop's clock. A timer fires at most once per round
// of the loop; one that fell behind skips the periods it missed.
#include <algorithm>

#include "desktop_impl.h"
#include "platform/last_error.h"

namespace ui::detail {

namespace {
constexpr UINT kMinimumElapse = 10;
}

UINT_PTR DesktopImpl::SetTimer(WindowRecord* w, UINT_PTR id, UINT elapse) {
    if (w == nullptr || id == 0) {
        platform::SetLastError(platform::ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (timerFailureHook && timerFailureHook(w->hwnd, id)) {
        platform::SetLastError(platform::ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    const UINT period = std::max(elapse, kMinimumElapse);
    KillTimer(w->hwnd, id);
    timers_.push_back({w->hwnd, id, period, Now() + period, ++timerSeq_});
    return id;
}

bool DesktopImpl::KillTimer(HWND hwnd, UINT_PTR id) {
    const auto removed =
        std::erase_if(timers_, [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    return removed != 0;
}

void DesktopImpl::KillTimers(HWND hwnd) {
    std::erase_if(timers_, [&](const Timer& t) { return t.hwnd == hwnd; });
}

std::optional<std::uint64_t> DesktopImpl::NextDue() const {
    std::optional<std::uint64_t> next;
    for (const Timer& t : timers_) {
        if (!next.has_value() || t.due < *next) {
            next = t.due;
        }
    }
    return next;
}

bool DesktopImpl::FireDueTimers() {
    const std::uint64_t now = Now();
    std::vector<Timer> due;
    for (const Timer& t : timers_) {
        if (t.due <= now) {
            due.push_back(t);
        }
    }
    if (due.empty()) {
        return false;
    }
    std::sort(due.begin(), due.end(), [](const Timer& a, const Timer& b) {
        return a.due != b.due ? a.due < b.due : a.seq < b.seq;
    });
    for (const Timer& fired : due) {
        // Handlers of earlier timers may have killed or restarted this one.
        auto it = std::find_if(timers_.begin(), timers_.end(), [&](const Timer& t) {
            return t.hwnd == fired.hwnd && t.id == fired.id && t.seq == fired.seq;
        });
        if (it == timers_.end() || it->due > now) {
            continue;
        }
        const std::uint64_t missed = (now - it->due) / it->period + 1;
        it->due += missed * it->period;
        if (WindowRecord* w = Find(fired.hwnd)) {
            Dispatch(w, WM_TIMER, fired.id, 0);
        }
    }
    return true;
}

}  // namespace ui::detail
