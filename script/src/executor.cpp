#include "executor.h"

#include <utility>
#include <variant>

#include "picture_files.h"
#include "text_escapes.h"
#include "ui/messages.h"
#include "ui/wnd.h"

namespace script::detail {

namespace {

using ui::InputEvent;

ui::Point Centre(const ui::Rect& r) {
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

bool OnScreen(ui::Point p) {
    return p.x >= 0 && p.y >= 0 && p.x < ui::kScreenWidth && p.y < ui::kScreenHeight;
}

// The control an id names in the window on top or its owners.
platform::Result<ui::HWND> Control(int id, ui::Desktop& desktop) {
    const ui::HWND hwnd = desktop.FindControl(id);
    if (hwnd == nullptr) {
        return platform::Fail("no " + ControlName(id) + " in the window on top or its owners");
    }
    return hwnd;
}

// The first tab control of the window on top, else of its owners.
ui::HWND FindTabControl(ui::Desktop& desktop) {
    for (ui::HWND w = desktop.ActiveWindow(); w != nullptr;) {
        for (const ui::HWND child : desktop.Children(w)) {
            if (const auto info = desktop.Describe(child); info && info->className == "Tab") {
                return child;
            }
        }
        ui::CWnd* wnd = desktop.WndOf(w);
        ui::CWnd* owner = wnd != nullptr ? wnd->GetParent() : nullptr;
        w = owner != nullptr ? owner->m_hWnd : nullptr;
    }
    return nullptr;
}

}  // namespace

InputEvent KeyEvent(InputEvent::Kind kind, ui::Key key) {
    InputEvent e;
    e.kind = kind;
    e.key = key;
    return e;
}

Executor::Executor(Target& target, std::filesystem::path screenshotFolder)
    : target_(target), screenshotFolder_(std::move(screenshotFolder)) {}

platform::Result<void> Executor::Run(const Action& action, ui::Desktop& desktop) {
    return std::visit([&](const auto& c) { return Do(c, desktop); }, action);
}

void Executor::Press(InputEvent::Kind kind, int x, int y) {
    InputEvent e;
    e.kind = kind;
    e.x = x;
    e.y = y;
    pending_.push_back(std::move(e));
}

void Executor::Tap(ui::Point p) {
    Press(InputEvent::Kind::PenDown, p.x, p.y);
    Press(InputEvent::Kind::PenUp, p.x, p.y);
}

platform::Result<void> Executor::Do(const script::Tap& c, ui::Desktop& /*desktop*/) {
    Tap({c.x, c.y});
    return {};
}

platform::Result<void> Executor::Do(const PenDown& c, ui::Desktop& /*desktop*/) {
    Press(InputEvent::Kind::PenDown, c.x, c.y);
    return {};
}

platform::Result<void> Executor::Do(const PenMove& c, ui::Desktop& /*desktop*/) {
    Press(InputEvent::Kind::PenMove, c.x, c.y);
    return {};
}

platform::Result<void> Executor::Do(const PenUp& c, ui::Desktop& /*desktop*/) {
    Press(InputEvent::Kind::PenUp, c.x, c.y);
    return {};
}

platform::Result<void> Executor::Do(const Click& c, ui::Desktop& desktop) {
    const platform::Result<ui::HWND> hwnd = Control(c.id, desktop);
    if (!hwnd) {
        return platform::Fail(hwnd.error());
    }
    const auto info = desktop.Describe(*hwnd);
    if (!info || !info->visible) {
        return platform::Fail(ControlName(c.id) + " is not visible");
    }
    const ui::Point p = Centre(info->screenRect);
    if (!OnScreen(p)) {
        return platform::Fail("the centre of " + ControlName(c.id) + " is off the screen");
    }
    Tap(p);
    return {};
}

platform::Result<void> Executor::Do(const Tab& c, ui::Desktop& desktop) {
    const ui::HWND tab = FindTabControl(desktop);
    ui::CWnd* wnd = tab != nullptr ? desktop.WndOf(tab) : nullptr;
    if (wnd == nullptr) {
        return platform::Fail("no tab control in the window on top or its owners");
    }
    const auto count = wnd->SendMessage(ui::TCM_GETITEMCOUNT);
    ui::Rect header;
    if (c.index >= count || wnd->SendMessage(ui::TCM_GETITEMRECT, static_cast<ui::WPARAM>(c.index),
                                             reinterpret_cast<ui::LPARAM>(&header)) == 0) {
        return platform::Fail("the tab control has " + std::to_string(count) + " tabs");
    }
    wnd->ClientToScreen(&header);
    const auto info = desktop.Describe(tab);
    const ui::Point p = Centre(header);
    if (!info || !info->visible || !info->screenRect.Contains(p) || !OnScreen(p)) {
        return platform::Fail("tab " + std::to_string(c.index) + " cannot be tapped");
    }
    Tap(p);
    return {};
}

platform::Result<void> Executor::Do(const Type& c, ui::Desktop& desktop) {
    const platform::Result<ui::HWND> hwnd = Control(c.id, desktop);
    if (!hwnd) {
        return platform::Fail(hwnd.error());
    }
    const auto info = desktop.Describe(*hwnd);
    if (!info || !info->visible || !info->enabled) {
        return platform::Fail(ControlName(c.id) + " is hidden or disabled");
    }
    desktop.WndOf(*hwnd)->SetFocus();
    if (!c.text.empty()) {
        InputEvent e;
        e.kind = InputEvent::Kind::Text;
        e.text = c.text;
        pending_.push_back(std::move(e));
    }
    return {};
}

platform::Result<void> Executor::Do(const KeyStroke& c, ui::Desktop& /*desktop*/) {
    if (!c.unitKey.empty()) {
        const bool down = c.action == KeyStroke::Action::Down;
        return target_.Set(c.unitKey, down ? "1" : "0");
    }
    if (c.action != KeyStroke::Action::Up) {
        pending_.push_back(KeyEvent(InputEvent::Kind::KeyDown, c.key));
    }
    if (c.action != KeyStroke::Action::Down) {
        pending_.push_back(KeyEvent(InputEvent::Kind::KeyUp, c.key));
    }
    return {};
}

platform::Result<void> Executor::Do(const Close& /*c*/, ui::Desktop& desktop) {
    const ui::HWND top = desktop.ActiveWindow();
    if (top == nullptr) {
        return platform::Fail("no window is open");
    }
    if (const auto box = desktop.CloseBoxRect(top)) {
        Tap(Centre(*box));
    } else {
        desktop.WndOf(top)->PostMessage(ui::WM_CLOSE);
    }
    return {};
}

platform::Result<void> Executor::Do(const Answer& c, ui::Desktop& desktop) {
    const auto box = desktop.TopMessageBox();
    if (!box) {
        return platform::Fail("there is no message box to answer");
    }
    if (!desktop.AnswerMessageBox(c.button)) {
        return platform::Fail("the message box " + Quote(box->text) + " has no Cancel button");
    }
    return {};
}

platform::Result<void> Executor::Do(const Screenshot& c, ui::Desktop& desktop) {
    if (platform::Result<void> written =
            WritePicture(desktop.Screen(), InFolder(screenshotFolder_, c.file));
        !written) {
        return written;
    }
    return {};
}

platform::Result<void> Executor::Do(const SetUnit& c, ui::Desktop& /*desktop*/) {
    return target_.Set(c.key, c.value);
}

platform::Result<void> Executor::Do(const Quit& /*c*/, ui::Desktop& desktop) {
    if (desktop.ActiveWindow() == nullptr) {
        return platform::Fail("no window is open");
    }
    pending_.push_back(KeyEvent(InputEvent::Kind::KeyDown, ui::Key::Escape));
    return {};
}

platform::Result<void> Executor::Do(const Wait& /*c*/, ui::Desktop& /*desktop*/) {
    return platform::Fail("not a command");  // the runner's clock
}

platform::Result<void> Executor::Do(const Expectation& /*c*/, ui::Desktop& /*desktop*/) {
    return platform::Fail("not a command");  // the runner's expectations
}

}  // namespace script::detail
