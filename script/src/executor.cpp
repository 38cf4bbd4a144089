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
std::optional<ui::HWND> Control(int id, ui::Desktop& desktop, std::string* why) {
    const ui::HWND hwnd = desktop.FindControl(id);
    if (hwnd == nullptr) {
        *why = "no " + ControlName(id) + " in the window on top or its owners";
        return std::nullopt;
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

std::optional<std::string> Executor::Run(const Action& action, ui::Desktop& desktop) {
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

std::optional<std::string> Executor::Do(const script::Tap& c, ui::Desktop& /*desktop*/) {
    Tap({c.x, c.y});
    return std::nullopt;
}

std::optional<std::string> Executor::Do(const PenDown& c, ui::Desktop& /*desktop*/) {
    Press(InputEvent::Kind::PenDown, c.x, c.y);
    return std::nullopt;
}

std::optional<std::string> Executor::Do(const PenMove& c, ui::Desktop& /*desktop*/) {
    Press(InputEvent::Kind::PenMove, c.x, c.y);
    return std::nullopt;
}

std::optional<std::string> Executor::Do(const PenUp& c, ui::Desktop& /*desktop*/) {
    Press(InputEvent::Kind::PenUp, c.x, c.y);
    return std::nullopt;
}

std::optional<std::string> Executor::Do(const Click& c, ui::Desktop& desktop) {
    std::string why;
    const auto hwnd = Control(c.id, desktop, &why);
    if (!hwnd) {
        return why;
    }
    const auto info = desktop.Describe(*hwnd);
    if (!info || !info->visible) {
        return ControlName(c.id) + " is not visible";
    }
    const ui::Point p = Centre(info->screenRect);
    if (!OnScreen(p)) {
        return "the centre of " + ControlName(c.id) + " is off the screen";
    }
    Tap(p);
    return std::nullopt;
}

std::optional<std::string> Executor::Do(const Tab& c, ui::Desktop& desktop) {
    const ui::HWND tab = FindTabControl(desktop);
    ui::CWnd* wnd = tab != nullptr ? desktop.WndOf(tab) : nullptr;
    if (wnd == nullptr) {
        return "no tab control in the window on top or its owners";
    }
    const auto count = wnd->SendMessage(ui::TCM_GETITEMCOUNT);
    ui::Rect header;
    if (c.index >= count || wnd->SendMessage(ui::TCM_GETITEMRECT, static_cast<ui::WPARAM>(c.index),
                                             reinterpret_cast<ui::LPARAM>(&header)) == 0) {
        return "the tab control has " + std::to_string(count) + " tabs";
    }
    wnd->ClientToScreen(&header);
    const auto info = desktop.Describe(tab);
    const ui::Point p = Centre(header);
    if (!info || !info->visible || !info->screenRect.Contains(p) || !OnScreen(p)) {
        return "tab " + std::to_string(c.index) + " cannot be tapped";
    }
    Tap(p);
    return std::nullopt;
}

std::optional<std::string> Executor::Do(const Type& c, ui::Desktop& desktop) {
    std::string why;
    const auto hwnd = Control(c.id, desktop, &why);
    if (!hwnd) {
        return why;
    }
    const auto info = desktop.Describe(*hwnd);
    if (!info || !info->visible || !info->enabled) {
        return ControlName(c.id) + " is hidden or disabled";
    }
    desktop.WndOf(*hwnd)->SetFocus();
    if (!c.text.empty()) {
        InputEvent e;
        e.kind = InputEvent::Kind::Text;
        e.text = c.text;
        pending_.push_back(std::move(e));
    }
    return std::nullopt;
}

std::optional<std::string> Executor::Do(const KeyStroke& c, ui::Desktop& /*desktop*/) {
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
    return std::nullopt;
}

std::optional<std::string> Executor::Do(const Close& /*c*/, ui::Desktop& desktop) {
    const ui::HWND top = desktop.ActiveWindow();
    if (top == nullptr) {
        return "no window is open";
    }
    if (const auto box = desktop.CloseBoxRect(top)) {
        Tap(Centre(*box));
    } else {
        desktop.WndOf(top)->PostMessage(ui::WM_CLOSE);
    }
    return std::nullopt;
}

std::optional<std::string> Executor::Do(const Answer& c, ui::Desktop& desktop) {
    const auto box = desktop.TopMessageBox();
    if (!box) {
        return "there is no message box to answer";
    }
    if (!desktop.AnswerMessageBox(c.button)) {
        return "the message box " + Quote(box->text) + " has no Cancel button";
    }
    return std::nullopt;
}

std::optional<std::string> Executor::Do(const Screenshot& c, ui::Desktop& desktop) {
    std::string error;
    if (!WritePicture(desktop.Screen(), InFolder(screenshotFolder_, c.file), &error)) {
        return error;
    }
    return std::nullopt;
}

std::optional<std::string> Executor::Do(const SetUnit& c, ui::Desktop& /*desktop*/) {
    return target_.Set(c.key, c.value);
}

std::optional<std::string> Executor::Do(const Quit& /*c*/, ui::Desktop& desktop) {
    if (desktop.ActiveWindow() == nullptr) {
        return "no window is open";
    }
    pending_.push_back(KeyEvent(InputEvent::Kind::KeyDown, ui::Key::Escape));
    return std::nullopt;
}

std::optional<std::string> Executor::Do(const Wait& /*c*/, ui::Desktop& /*desktop*/) {
    return "not a command";  // the runner's clock
}

std::optional<std::string> Executor::Do(const Expectation& /*c*/, ui::Desktop& /*desktop*/) {
    return "not a command";  // the runner's expectations
}

}  // namespace script::detail
