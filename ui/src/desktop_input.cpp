// Input routing. The pen goes to the capturing window, or else to the
// deepest visible, enabled control under it in the active (topmost modal)
// window; elsewhere it is ignored. Keys go to the active dialog's focused
// control, except Enter (the focused push button, else the default one, else
// IDOK: desktop_default_button.cpp; a want-return edit keeps it), Esc
// (IDCANCEL) and Tab (next tab stop).
#include <cstdlib>

#include "desktop_impl.h"
#include "dialog_frame.h"

namespace ui::detail {

namespace {

constexpr std::uint64_t kDoubleClickMs = 500;
constexpr int kDoubleClickDistance = 2;

LPARAM PointParam(Point p) {
    return MAKELPARAM(p.x, p.y);
}

UINT VirtualKeyOf(Key key) {
    switch (key) {
        case Key::Enter:
            return VK_RETURN;
        case Key::Escape:
            return VK_ESCAPE;
        case Key::Backspace:
            return VK_BACK;
        case Key::Delete:
            return VK_DELETE;
        case Key::Tab:
            return VK_TAB;
        case Key::Left:
            return VK_LEFT;
        case Key::Right:
            return VK_RIGHT;
        case Key::Up:
            return VK_UP;
        case Key::Down:
            return VK_DOWN;
        case Key::Home:
            return VK_HOME;
        case Key::End:
            return VK_END;
        case Key::F1:
            return VK_F1;
        case Key::F2:
            return VK_F2;
        case Key::F3:
            return VK_F3;
        case Key::F4:
            return VK_F4;
        case Key::F5:
            return VK_F5;
        case Key::F6:
            return VK_F6;
        case Key::None:
            break;
    }
    return 0;
}

// Decodes UTF-8; malformed bytes become U+FFFD.
std::vector<std::uint32_t> CodePoints(const std::string& text) {
    std::vector<std::uint32_t> out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        int extra = 0;
        std::uint32_t cp = 0;
        if (b < 0x80) {
            cp = b;
        } else if ((b & 0xE0) == 0xC0) {
            cp = b & 0x1FU;
            extra = 1;
        } else if ((b & 0xF0) == 0xE0) {
            cp = b & 0x0FU;
            extra = 2;
        } else if ((b & 0xF8) == 0xF0) {
            cp = b & 0x07U;
            extra = 3;
        } else {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        if (i + static_cast<std::size_t>(extra) >= text.size()) {
            out.push_back(0xFFFD);  // cut short at the end
            break;
        }
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((c & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (c & 0x3FU);
        }
        if (!ok) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

}  // namespace

void DesktopImpl::HandleInput(const InputEvent& event) {
    if (event.kind == InputEvent::Kind::Quit) {
        quitting = true;
        return;
    }
    if (quitting) {
        return;
    }
    switch (event.kind) {
        case InputEvent::Kind::PenDown:
            PenDown({event.x, event.y});
            break;
        case InputEvent::Kind::PenMove:
            PenMove({event.x, event.y});
            break;
        case InputEvent::Kind::PenUp:
            PenUp({event.x, event.y});
            break;
        case InputEvent::Kind::KeyDown:
            KeyDown(event.key);
            break;
        case InputEvent::Kind::KeyUp:
            KeyUp(event.key);
            break;
        case InputEvent::Kind::Text:
            Text(event.text);
            break;
        case InputEvent::Kind::Quit:
        case InputEvent::Kind::Wake:
            break;
    }
}

WindowRecord* DesktopImpl::HitTest(WindowRecord* top, Point screen, bool* nonClient) {
    *nonClient = false;
    WindowRecord* w = top;
    for (;;) {
        const Point o = ClientOrigin(w);
        const Point c{screen.x - o.x, screen.y - o.y};
        if (!ClientRect(w).Contains(c)) {
            *nonClient = true;
            return w;
        }
        WindowRecord* hit = nullptr;
        for (WindowRecord* child : w->children) {
            if (child->Visible() && child->Enabled() && child->rect.Contains(c) &&
                !child->cls->TransparentToInput(*child)) {
                hit = child;
                break;
            }
        }
        if (hit == nullptr) {
            return w;
        }
        w = hit;
    }
}

WindowRecord* DesktopImpl::PenTarget(Point screen, bool* nonClient) {
    *nonClient = false;
    if (WindowRecord* captured = Find(capture_)) {
        return captured;
    }
    WindowRecord* top = Find(ActiveWindow());
    if (top == nullptr || !top->Visible() || !ScreenRect(top).Contains(screen)) {
        return nullptr;
    }
    return HitTest(top, screen, nonClient);
}

void DesktopImpl::DispatchPen(WindowRecord* target, UINT message, WPARAM keys, Point screen) {
    const Point o = ClientOrigin(target);
    Dispatch(target, message, keys, PointParam({screen.x - o.x, screen.y - o.y}));
}

void DesktopImpl::PenDown(Point screen) {
    penIsDown_ = true;
    if (Find(capture_) == nullptr) {
        capture_ = nullptr;
    }
    bool nonClient = false;
    WindowRecord* target = PenTarget(screen, &nonClient);
    if (target == nullptr) {
        return;
    }
    if (nonClient) {
        const Rect r = ScreenRect(target);
        target->cls->NonClientPenDown(*this, *target, {screen.x - r.left, screen.y - r.top});
        lastDown_.valid = false;
        return;
    }
    const std::uint64_t now = Now();
    const bool doubleClick = lastDown_.valid && lastDown_.hwnd == target->hwnd &&
                             now - lastDown_.time <= kDoubleClickMs &&
                             std::abs(screen.x - lastDown_.screen.x) <= kDoubleClickDistance &&
                             std::abs(screen.y - lastDown_.screen.y) <= kDoubleClickDistance;
    if (doubleClick) {
        lastDown_.valid = false;
    } else {
        lastDown_ = {target->hwnd, screen, now, true};
    }
    DispatchPen(target, doubleClick ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, MK_LBUTTON, screen);
}

void DesktopImpl::PenMove(Point screen) {
    if (captionTrack_ != nullptr) {
        return;
    }
    bool nonClient = false;
    WindowRecord* target = PenTarget(screen, &nonClient);
    if (target != nullptr && !nonClient) {
        DispatchPen(target, WM_MOUSEMOVE, penIsDown_ ? MK_LBUTTON : 0, screen);
    }
}

void DesktopImpl::PenUp(Point screen) {
    penIsDown_ = false;
    if (captionTrack_ != nullptr) {
        const HWND hwnd = captionTrack_;
        const auto button = static_cast<CaptionButton>(captionButton_);
        captionTrack_ = nullptr;
        WindowRecord* w = Find(hwnd);
        if (w == nullptr) {
            return;
        }
        const auto r = CaptionButtonRect(*w, button);
        const Rect wr = ScreenRect(w);
        if (r.has_value() && r->Offset(wr.left, wr.top).Contains(screen)) {
            if (button == CaptionButton::Close) {
                Send(hwnd, WM_CLOSE, 0, 0);
            } else {
                Send(hwnd, WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(IDOK), BN_CLICKED), 0);
            }
        }
        return;
    }
    bool nonClient = false;
    WindowRecord* target = PenTarget(screen, &nonClient);
    if (target != nullptr && !nonClient) {
        DispatchPen(target, WM_LBUTTONUP, 0, screen);
    }
}

WindowRecord* DesktopImpl::KeyTarget() {
    WindowRecord* dialog = Find(ActiveWindow());
    if (dialog == nullptr) {
        return nullptr;
    }
    WindowRecord* f = Find(focus_);
    if (f != nullptr && TopLevelOf(f) == dialog && EffectivelyVisible(f) && EffectivelyEnabled(f)) {
        return f;
    }
    return dialog;
}

void DesktopImpl::KeyDown(Key key) {
    WindowRecord* dialog = Find(ActiveWindow());
    if (dialog == nullptr) {
        return;
    }
    WindowRecord* target = KeyTarget();
    const HWND targetHwnd = target->hwnd;
    const UINT code = target != dialog ? target->cls->DlgCode(*target) : 0;
    switch (key) {
        case Key::Enter:
            if ((code & DLGC_WANTALLKEYS) != 0) {
                Dispatch(target, WM_KEYDOWN, VK_RETURN, 1);
                Send(targetHwnd, WM_CHAR, '\r', 1);
            } else {
                PressEnter(dialog);
            }
            return;
        case Key::Escape:
            Send(dialog->hwnd, WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(IDCANCEL), BN_CLICKED),
                 0);
            return;
        case Key::Tab:
            NextTabStop(dialog, false);
            return;
        case Key::Backspace:
            Dispatch(target, WM_KEYDOWN, VK_BACK, 1);
            Send(targetHwnd, WM_CHAR, '\b', 1);
            return;
        default:
            if (const UINT vk = VirtualKeyOf(key); vk != 0) {
                Dispatch(target, WM_KEYDOWN, vk, 1);
            }
            return;
    }
}

void DesktopImpl::KeyUp(Key key) {
    if (WindowRecord* target = KeyTarget()) {
        if (const UINT vk = VirtualKeyOf(key); vk != 0) {
            Dispatch(target, WM_KEYUP, vk, 1);
        }
    }
}

void DesktopImpl::Text(const std::string& text) {
    const HWND hwnd = KeyTarget() != nullptr ? KeyTarget()->hwnd : nullptr;
    for (std::uint32_t cp : CodePoints(text)) {
        Send(hwnd, WM_CHAR, cp, 1);
    }
}

void DesktopImpl::NextTabStop(WindowRecord* dialog, bool backwards) {
    std::vector<WindowRecord*> stops;
    for (WindowRecord* c : dialog->children) {
        if ((c->style & WS_TABSTOP) != 0 && c->Visible() && c->Enabled()) {
            stops.push_back(c);
        }
    }
    if (stops.empty()) {
        return;
    }
    std::size_t at = stops.size();
    for (std::size_t i = 0; i < stops.size(); ++i) {
        if (stops[i]->hwnd == focus_) {
            at = i;
        }
    }
    std::size_t next = 0;
    if (at == stops.size()) {
        next = backwards ? stops.size() - 1 : 0;
    } else if (backwards) {
        next = (at + stops.size() - 1) % stops.size();
    } else {
        next = (at + 1) % stops.size();
    }
    SetFocus(stops[next]);
}

void DesktopImpl::SetFocus(WindowRecord* w) {
    const HWND next = w != nullptr ? w->hwnd : nullptr;
    const HWND previous = focus_;
    if (next == previous) {
        return;
    }
    focus_ = next;
    if (WindowRecord* old = Find(previous)) {
        Dispatch(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(next), 0);
    }
    if (WindowRecord* now = Find(next); now != nullptr && focus_ == next) {
        Dispatch(now, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    }
    // Unless its handler moved the focus on or destroyed the window.
    if (WindowRecord* now = Find(next); now != nullptr && focus_ == next) {
        MoveDefaultLook(now);
    }
}

void DesktopImpl::SetCapture(WindowRecord* w) {
    const HWND previous = capture_;
    capture_ = w != nullptr ? w->hwnd : nullptr;
    if (previous != nullptr && previous != capture_) {
        if (WindowRecord* old = Find(previous)) {
            Dispatch(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(capture_));
        }
    }
}

void DesktopImpl::ReleaseCapture() {
    const HWND previous = capture_;
    capture_ = nullptr;
    if (WindowRecord* old = Find(previous)) {
        Dispatch(old, WM_CAPTURECHANGED, 0, 0);
    }
}

}  // namespace ui::detail
