// Painting: invalidated areas of the screen gather into one damaged
// rectangle; a paint pass repaints every window that touches it, bottom to
// top, each clipped to its parent, and the presenter gets the frame.
#include <algorithm>

#include "desktop_impl.h"
#include "look.h"

namespace ui::detail {

namespace {

constexpr Rect kScreen{0, 0, kScreenWidth, kScreenHeight};

bool Covers(const Rect& outer, const Rect& inner) {
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

}  // namespace

void DesktopImpl::Damage(const Rect& screenRect) {
    const Rect r = screenRect.Intersect(kScreen);
    if (!r.Empty()) {
        damage_ = UnionRect(damage_, r);
    }
}

void DesktopImpl::DamageWindow(const WindowRecord* w) {
    Damage(ScreenRect(w));
}

void DesktopImpl::PaintPass() {
    if (damage_.Empty()) {
        return;
    }
    const Rect damage = damage_;
    damage_ = {};
    ++paintPasses;
    presentNeeded_ = true;

    // Bottom to top; start at the highest window that covers the whole
    // damaged area, since nothing below it can show.
    std::vector<HWND> order(topLevels_.rbegin(), topLevels_.rend());
    std::size_t start = 0;
    bool covered = false;
    for (std::size_t i = order.size(); i-- > 0;) {
        const WindowRecord* w = Find(order[i]);
        if (w != nullptr && w->Visible() && Covers(ScreenRect(w), damage)) {
            start = i;
            covered = true;
            break;
        }
    }
    if (!covered) {
        screen_.FillRect(damage, MakeRgb(0, 128, 128));
    }
    for (std::size_t i = start; i < order.size(); ++i) {
        PaintTree(order[i], damage);
    }
}

void DesktopImpl::PaintAndPresent() {
    PaintPass();
    if (presentNeeded_) {
        presentNeeded_ = false;
        presenter.Present(screen_);
    }
}

void DesktopImpl::PaintTree(HWND hwnd, const Rect& clip) {
    WindowRecord* w = Find(hwnd);
    if (w == nullptr || !w->Visible()) {
        return;
    }
    const Rect area = ScreenRect(w).Intersect(clip);
    if (area.Empty()) {
        return;
    }
    PaintOne(w, area);
    w = Find(hwnd);
    if (w == nullptr) {
        return;
    }
    const Point o = ClientOrigin(w);
    const Rect childClip = ClientRect(w).Offset(o.x, o.y).Intersect(area);
    if (childClip.Empty()) {
        return;
    }
    // Bottom first, so that the topmost child is painted last. (Reverse
    // iterators rather than a reversed range view: clang 14 cannot compile
    // the view over libstdc++ 12's vector.)
    std::vector<HWND> children(w->children.size());
    std::transform(w->children.rbegin(), w->children.rend(), children.begin(),
                   [](const WindowRecord* child) { return child->hwnd; });
    for (HWND child : children) {
        PaintTree(child, childClip);
    }
}

void DesktopImpl::PaintOne(WindowRecord* w, const Rect& clip) {
    const Rect windowRect = ScreenRect(w);
    {
        FrameworkDc nc;
        nc.fb_ = &screen_;
        nc.hwnd_ = w->hwnd;
        nc.origin_ = {windowRect.left, windowRect.top};
        nc.clip_ = clip;
        nc.nonClient_ = true;
        ForgetClippedTexts(w, true);
        w->cls->PaintNonClient(*this, *w, nc);
    }
    const Point origin = ClientOrigin(w);
    const Rect clientClip = ClientRect(w).Offset(origin.x, origin.y).Intersect(clip);
    if (clientClip.Empty()) {
        return;
    }
    {
        FrameworkDc bg;
        bg.fb_ = &screen_;
        bg.hwnd_ = w->hwnd;
        bg.origin_ = origin;
        bg.clip_ = clientClip;
        w->cls->EraseBackground(*this, *w, bg);
    }
    // A window whose WM_PAINT is still running (a message box opened from
    // it) keeps what it drew; only its background and children are redone.
    if (w->painting > 0) {
        return;
    }
    paintStack_.push_back({w->hwnd, origin, clientClip});
    ForgetClippedTexts(w, false);
    ++w->painting;
    Dispatch(w, WM_PAINT, 0, 0);
    --w->painting;
    paintStack_.pop_back();
}

void DesktopImpl::InitPaintDc(CDC& dc, HWND hwnd) {
    if (!paintStack_.empty() && paintStack_.back().hwnd == hwnd) {
        const PaintContext& context = paintStack_.back();
        dc.fb_ = &screen_;
        dc.hwnd_ = context.hwnd;
        dc.origin_ = context.origin;
        dc.clip_ = context.clip;
        return;
    }
    if (WindowRecord* w = Find(hwnd)) {
        InitClientDc(dc, w, true);
    }
}

void DesktopImpl::InitClientDc(CDC& dc, WindowRecord* w, bool client) {
    dc.fb_ = &screen_;
    dc.hwnd_ = w->hwnd;
    if (client) {
        dc.origin_ = ClientOrigin(w);
        dc.clip_ = ClientClip(w);
    } else {
        const Rect r = ScreenRect(w);
        dc.origin_ = {r.left, r.top};
        dc.clip_ = EffectivelyVisible(w) ? r.Intersect(kScreen) : Rect{};
    }
    dc.outsidePaint_ = true;
    dc.nonClient_ = !client;
}

void DesktopImpl::ForgetClippedTexts(WindowRecord* w, bool nonClient) {
    std::erase_if(w->clippedTexts,
                  [&](const WindowRecord::ClippedText& t) { return t.nonClient == nonClient; });
}

void DesktopImpl::TextClipped(HWND hwnd, std::string_view text, bool nonClient) {
    WindowRecord* w = Find(hwnd);
    if (w == nullptr) {
        return;
    }
    const bool known =
        std::any_of(w->clippedTexts.begin(), w->clippedTexts.end(),
                    [&](const WindowRecord::ClippedText& t) { return t.text == text; });
    if (!known) {
        w->clippedTexts.push_back({std::string(text), nonClient});
    }
}

void DesktopImpl::ClientDrawn(HWND hwnd, const Rect& drawn) {
    presentNeeded_ = true;
    // Windows above this one's top-level window must stay on top: what of
    // them the drawing touched is repainted before the frame is shown.
    WindowRecord* w = Find(hwnd);
    WindowRecord* top = w != nullptr ? TopLevelOf(w) : nullptr;
    if (top == nullptr) {
        return;
    }
    for (HWND above : topLevels_) {
        if (above == top->hwnd) {
            break;
        }
        const WindowRecord* a = Find(above);
        if (a != nullptr && a->Visible()) {
            Damage(ScreenRect(a).Intersect(drawn));
        }
    }
}

}  // namespace ui::detail
