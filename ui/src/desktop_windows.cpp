// Windows: creation and destruction, the CWnd attached to each, message
// dispatch, geometry and z-order.
#include <algorithm>
#include <chrono>
#include <utility>

#include "desktop_impl.h"
#include "platform/last_error.h"
#include "platform/services.h"
#include "ui/thread.h"

namespace ui::detail {

namespace {

thread_local DesktopImpl* t_current = nullptr;

std::uint64_t SteadyMs() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

// Keeps a window's record alive while one of its handlers runs.
class BusyGuard {
  public:
    explicit BusyGuard(WindowRecord* w) : w_(w) { ++w_->busy; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;
    ~BusyGuard() { --w_->busy; }

  private:
    WindowRecord* w_;
};

}  // namespace

Rect UnionRect(const Rect& a, const Rect& b) {
    if (a.Empty()) {
        return b;
    }
    if (b.Empty()) {
        return a;
    }
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

DesktopImpl::DesktopImpl(Desktop& f, Presenter& p, platform::Clock* clock)
    : facade(f), presenter(p), hub(std::make_shared<Hub>(&p)), clock_(clock) {
    steadyStartMs_ = SteadyMs();
    screen_.FillRect({0, 0, kScreenWidth, kScreenHeight}, MakeRgb(0, 128, 128));
    t_current = this;
    SetCurrentHub(hub);
}

DesktopImpl::~DesktopImpl() {
    // Windows still open (a test that never ran their loop to the end):
    // destroy them from the top down.
    while (!topLevels_.empty()) {
        WindowRecord* w = Find(topLevels_.front());
        if (w == nullptr) {
            topLevels_.erase(topLevels_.begin());
            continue;
        }
        Destroy(w);
    }
    zombies_.clear();
    hub->Close();
    SetCurrentHub(nullptr);
    t_current = nullptr;
    ReleaseEndedThreads();
}

DesktopImpl* DesktopImpl::Current() {
    return t_current;
}

std::uint64_t DesktopImpl::Now() const {
    if (clock_ != nullptr) {
        return clock_->NowMs();
    }
    if (platform::Installed().clock != nullptr) {
        return platform::Installed().clock->NowMs();
    }
    return SteadyMs() - steadyStartMs_;
}

WindowRecord* DesktopImpl::Find(HWND hwnd) const {
    if (hwnd == nullptr) {
        return nullptr;
    }
    const auto it = windows_.find(hwnd);
    return it == windows_.end() ? nullptr : it->second.get();
}

WindowRecord* DesktopImpl::Create(WindowRecord* parent, HWND owner,
                                  std::unique_ptr<WindowClass> cls, int id, DWORD style,
                                  DWORD exStyle, std::string text, const Rect& rect) {
    auto w = std::make_unique<WindowRecord>();
    w->hwnd = reinterpret_cast<HWND>(nextHandle_++);
    w->parent = parent;
    w->owner = parent == nullptr ? owner : nullptr;
    w->id = id;
    w->style = style;
    w->exStyle = exStyle;
    w->text = std::move(text);
    w->rect = rect;
    w->cls = std::move(cls);
    WindowRecord* raw = w.get();
    if (parent != nullptr) {
        raw->creationIndex = static_cast<int>(parent->children.size());
        parent->children.push_back(raw);
    } else {
        // New top-level windows go on top (the front).
        topLevels_.push_back(raw->hwnd);
        std::rotate(topLevels_.begin(), topLevels_.end() - 1, topLevels_.end());
    }
    windows_.emplace(raw->hwnd, std::move(w));
    hub->AddLive(raw->hwnd);
    if (raw->Visible()) {
        DamageWindow(raw);
    }
    return raw;
}

void DesktopImpl::Destroy(WindowRecord* w) {
    if (w == nullptr || w->dead) {
        return;
    }
    const HWND hwnd = w->hwnd;
    Dispatch(w, WM_DESTROY, 0, 0);
    w = Find(hwnd);
    if (w == nullptr) {
        return;
    }
    const std::vector<WindowRecord*> children = w->children;
    for (WindowRecord* child : children) {
        Destroy(child);
    }
    DamageWindow(w);
    KillTimers(hwnd);
    if (capture_ == hwnd) {
        capture_ = nullptr;
    }
    if (focus_ == hwnd) {
        focus_ = nullptr;
    }
    if (captionTrack_ == hwnd) {
        captionTrack_ = nullptr;
    }
    if (lastDown_.hwnd == hwnd) {
        lastDown_.valid = false;
    }
    std::erase(modalStack_, hwnd);
    if (w->target != nullptr) {
        w->target->m_hWnd = nullptr;
    }
    if (w->builtin != nullptr) {
        w->builtin->m_hWnd = nullptr;
    }
    w->target = nullptr;
    if (w->parent != nullptr) {
        std::erase(w->parent->children, w);
    } else {
        std::erase(topLevels_, hwnd);
    }
    // Windows that pointed at this one as buddy forget it.
    for (auto& [h, other] : windows_) {
        if (other->arrowKeySpin == hwnd) {
            other->arrowKeySpin = nullptr;
        }
    }
    hub->RemoveLive(hwnd);
    w->dead = true;
    auto it = windows_.find(hwnd);
    zombies_.push_back(std::move(it->second));
    windows_.erase(it);
}

void DesktopImpl::ReleaseZombies() {
    std::erase_if(zombies_, [](const std::unique_ptr<WindowRecord>& w) {
        return w->busy == 0 && w->painting == 0;
    });
}

void DesktopImpl::Attach(WindowRecord* w, CWnd* wnd) {
    w->target = wnd;
    wnd->m_hWnd = w->hwnd;
}

void DesktopImpl::Detach(CWnd* wnd) {
    WindowRecord* w = Find(wnd->m_hWnd);
    if (w != nullptr && w->target == wnd) {
        w->target = w->builtin.get();
    }
    wnd->m_hWnd = nullptr;
}

LRESULT DesktopImpl::Dispatch(WindowRecord* w, UINT message, WPARAM wParam, LPARAM lParam) {
    BusyGuard guard(w);
    if (CWnd* target = w->target; target != nullptr) {
        return target->WindowProc(message, wParam, lParam);
    }
    return w->cls->Proc(*this, *w, message, wParam, lParam);
}

LRESULT DesktopImpl::DefProc(WindowRecord* w, UINT message, WPARAM wParam, LPARAM lParam) {
    BusyGuard guard(w);
    return w->cls->Proc(*this, *w, message, wParam, lParam);
}

LRESULT DesktopImpl::Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowRecord* w = Find(hwnd);
    return w == nullptr ? 0 : Dispatch(w, message, wParam, lParam);
}

void DesktopImpl::NotifyCommand(WindowRecord& control, UINT code) {
    if (control.parent == nullptr) {
        return;
    }
    Send(control.parent->hwnd, WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(control.id), code),
         reinterpret_cast<LPARAM>(control.hwnd));
}

LRESULT DesktopImpl::NotifyParent(WindowRecord& control, NMHDR* header) {
    if (control.parent == nullptr) {
        return 0;
    }
    header->hwndFrom = control.hwnd;
    header->idFrom = static_cast<UINT_PTR>(control.id);
    return Send(control.parent->hwnd, WM_NOTIFY, static_cast<WPARAM>(control.id),
                reinterpret_cast<LPARAM>(header));
}

WindowRecord* DesktopImpl::TopLevelOf(const WindowRecord* w) const {
    while (w != nullptr && w->parent != nullptr) {
        w = w->parent;
    }
    return const_cast<WindowRecord*>(w);
}

Rect DesktopImpl::ScreenRect(const WindowRecord* w) const {
    if (w->parent == nullptr) {
        return w->rect;
    }
    const Point o = ClientOrigin(w->parent);
    return w->rect.Offset(o.x, o.y);
}

Point DesktopImpl::ClientOrigin(const WindowRecord* w) const {
    const Rect r = ScreenRect(w);
    const Rect c = w->cls->ClientArea(*w);
    return {r.left + c.left, r.top + c.top};
}

Rect DesktopImpl::ClientRect(const WindowRecord* w) const {
    const Rect c = w->cls->ClientArea(*w);
    return {0, 0, std::max(0, c.Width()), std::max(0, c.Height())};
}

Rect DesktopImpl::ClientClip(const WindowRecord* w) const {
    if (!EffectivelyVisible(w)) {
        return {};
    }
    const Point o = ClientOrigin(w);
    Rect clip = ClientRect(w).Offset(o.x, o.y).Intersect({0, 0, kScreenWidth, kScreenHeight});
    for (const WindowRecord* p = w->parent; p != nullptr && !clip.Empty(); p = p->parent) {
        const Point po = ClientOrigin(p);
        clip = clip.Intersect(ClientRect(p).Offset(po.x, po.y));
    }
    return clip;
}

bool DesktopImpl::EffectivelyVisible(const WindowRecord* w) const {
    for (; w != nullptr; w = w->parent) {
        if (!w->Visible()) {
            return false;
        }
    }
    return true;
}

bool DesktopImpl::EffectivelyEnabled(const WindowRecord* w) const {
    for (; w != nullptr; w = w->parent) {
        if (!w->Enabled()) {
            return false;
        }
    }
    return true;
}

void DesktopImpl::Move(WindowRecord* w, const Rect& rect) {
    if (w->rect == rect) {
        return;
    }
    DamageWindow(w);
    w->rect = rect;
    DamageWindow(w);
}

void DesktopImpl::PlaceInZOrder(WindowRecord* w, HWND insertAfter) {
    std::vector<HWND> handles;
    if (w->parent != nullptr) {
        std::vector<WindowRecord*>& siblings = w->parent->children;
        std::erase(siblings, w);
        auto at = siblings.end();
        if (insertAfter == HWND_TOP) {
            at = siblings.begin();
        } else if (insertAfter != HWND_BOTTOM) {
            at = std::find_if(siblings.begin(), siblings.end(),
                              [&](const WindowRecord* s) { return s->hwnd == insertAfter; });
            if (at != siblings.end()) {
                ++at;
            }
        }
        siblings.insert(at, w);
    } else {
        std::erase(topLevels_, w->hwnd);
        auto at = topLevels_.end();
        if (insertAfter == HWND_TOP) {
            at = topLevels_.begin();
        } else if (insertAfter != HWND_BOTTOM) {
            at = std::find(topLevels_.begin(), topLevels_.end(), insertAfter);
            if (at != topLevels_.end()) {
                ++at;
            }
        }
        topLevels_.insert(at, w->hwnd);
    }
    DamageWindow(w);
}

bool DesktopImpl::Show(WindowRecord* w, bool show) {
    const bool was = w->Visible();
    if (was == show) {
        return was;
    }
    if (show) {
        w->style |= WS_VISIBLE;
    } else {
        w->style &= ~WS_VISIBLE;
    }
    DamageWindow(w);
    return was;
}

bool DesktopImpl::Enable(WindowRecord* w, bool enable) {
    const bool wasDisabled = !w->Enabled();
    if (wasDisabled != enable) {
        return wasDisabled;
    }
    if (enable) {
        w->style &= ~WS_DISABLED;
    } else {
        w->style |= WS_DISABLED;
        if (focus_ == w->hwnd) {
            focus_ = nullptr;
        }
    }
    DamageWindow(w);
    Dispatch(w, WM_ENABLE, enable ? 1 : 0, 0);
    return wasDisabled;
}

WindowRecord* DesktopImpl::ChildById(const WindowRecord* parent, int id) const {
    if (parent == nullptr) {
        return nullptr;
    }
    for (WindowRecord* child : parent->children) {
        if (child->id == id) {
            return child;
        }
    }
    return nullptr;
}

}  // namespace ui::detail
