#include "recorder.h"

#include <cstdlib>
#include <utility>

#include "script/script.h"
#include "script/utf8_path.h"
#include "ui/desktop.h"
#include "ui/messages.h"
#include "ui/styles.h"
#include "ui/wnd.h"
#include "whole_file.h"

namespace program {

namespace {

using Kind = ui::InputEvent::Kind;

// A press held longer than this is a hold, not a tap: replayed as down,
// wait, up (an up-down control repeats while held).
constexpr std::uint64_t kLongestTapMs = 250;
// A pen that moves further than this while down draws a stroke.
constexpr int kStrokeSlop = 2;

const char* KeyName(ui::Key key) {
    switch (key) {
        case ui::Key::Enter:
            return "Enter";
        case ui::Key::Escape:
            return "Esc";
        case ui::Key::Backspace:
            return "Backspace";
        case ui::Key::Delete:
            return "Delete";
        case ui::Key::Tab:
            return "Tab";
        case ui::Key::Left:
            return "Left";
        case ui::Key::Right:
            return "Right";
        case ui::Key::Up:
            return "Up";
        case ui::Key::Down:
            return "Down";
        case ui::Key::Home:
            return "Home";
        case ui::Key::End:
            return "End";
        default:
            return nullptr;
    }
}

const char* HardwareKeyName(ui::Key key) {
    switch (key) {
        case ui::Key::F1:
            return "POWER";
        case ui::Key::F2:
            return "GUIDE";
        default:
            return nullptr;
    }
}

std::string At(const char* verb, ui::Point p) {
    return std::string(verb) + ' ' + std::to_string(p.x) + ' ' + std::to_string(p.y);
}

// The tab header under p of a tab control, if any.
std::optional<int> TabAt(ui::CWnd& tab, ui::Point p) {
    const auto count = tab.SendMessage(ui::TCM_GETITEMCOUNT);
    for (int i = 0; i < count; ++i) {
        ui::Rect header;
        if (tab.SendMessage(ui::TCM_GETITEMRECT, static_cast<ui::WPARAM>(i),
                            reinterpret_cast<ui::LPARAM>(&header)) != 0) {
            tab.ClientToScreen(&header);
            if (header.Contains(p)) {
                return i;
            }
        }
    }
    return std::nullopt;
}

}  // namespace

Recorder::Recorder(ui::Presenter& inner, platform::Clock& clock, std::filesystem::path file,
                   Manner manner)
    : inner_(inner),
      clock_(clock),
      file_(std::move(file)),
      manner_(std::move(manner)),
      lastMs_(clock.NowMs()) {}

ui::InputEvent Recorder::WaitEvent(std::optional<std::uint64_t> deadlineMs) {
    for (;;) {
        ui::InputEvent e = inner_.WaitEvent(deadlineMs);
        ui::Desktop* desktop = ui::Desktop::Current();
        if (desktop == nullptr || Observe(e, *desktop)) {
            return e;
        }
    }
}

bool Recorder::Observe(const ui::InputEvent& e, ui::Desktop& desktop) {
    const std::uint64_t now = clock_.NowMs();
    const ui::Point p{e.x, e.y};
    switch (e.kind) {
        case Kind::PenDown:
            FlushText();
            press_ = Press{p, now, TapCommand(desktop, p)};
            break;
        case Kind::PenMove:
            if (press_ && !press_->stroke &&
                (std::abs(p.x - press_->at.x) > kStrokeSlop ||
                 std::abs(p.y - press_->at.y) > kStrokeSlop)) {
                press_->stroke = true;
                Note(At("down", press_->at), press_->ms);
            }
            if (press_ && press_->stroke) {
                Note(At("move", p), now);
            }
            break;
        case Kind::PenUp:
            if (!press_) {
                break;
            }
            if (!press_->stroke && now - press_->ms <= kLongestTapMs) {
                Note(press_->asTap, press_->ms);
            } else {
                if (!press_->stroke) {
                    Note(At("down", press_->at), press_->ms);
                }
                Note(At("up", p), now);
            }
            press_.reset();
            break;
        case Kind::KeyDown:
        case Kind::KeyUp: {
            const bool down = e.kind == Kind::KeyDown;
            if (e.key == ui::Key::F5 || e.key == ui::Key::F6) {
                if (down) {
                    FlushText();
                    if (e.key == ui::Key::F5) {
                        NoteExpectText(desktop);
                    } else {
                        NoteExpectScreen(desktop);
                    }
                }
                return false;
            }
            if (const char* hardware = manner_.unitKeys ? HardwareKeyName(e.key) : nullptr) {
                FlushText();
                Note(std::string("key ") + hardware + (down ? " down" : " up"), now);
            } else if (const char* name = KeyName(e.key); name != nullptr && down) {
                FlushText();
                Note(std::string("key ") + name, now);
            }
            break;
        }
        case Kind::Text: {
            const ui::HWND focus = ui::GetFocus();
            const auto info = desktop.Describe(focus);
            const int id = info ? info->id : 0;
            if (id <= 0 || desktop.FindControl(id) != focus) {
                FlushText();
                Note("# typed " + script::ScriptString(e.text) + " where no field takes it", now);
                break;
            }
            if (id != typedId_) {
                FlushText();
                typedId_ = id;
                typedMs_ = now;
            }
            typed_ += e.text;
            break;
        }
        case Kind::Quit:
            FlushText();
            break;
        default:
            break;
    }
    return true;
}

std::string Recorder::TapCommand(ui::Desktop& desktop, ui::Point p) const {
    const ui::HWND top = desktop.ActiveWindow();
    if (top == nullptr) {
        return At("tap", p);
    }
    if (const auto box = desktop.CloseBoxRect(top); box && box->Contains(p)) {
        return "close";
    }
    const ui::HWND hit = desktop.WindowAt(p);
    const auto info = desktop.Describe(hit);
    if (hit == top || !info) {
        return At("tap", p);
    }
    if (desktop.TopMessageBox() && info->className == "Button" &&
        (info->id == ui::IDOK || info->id == ui::IDCANCEL)) {
        return info->id == ui::IDOK ? "answer OK" : "answer CANCEL";
    }
    if (info->className == "Tab") {
        if (ui::CWnd* tab = desktop.WndOf(hit)) {
            if (const auto index = TabAt(*tab, p)) {
                return "tab " + std::to_string(*index);
            }
        }
        return At("tap", p);
    }
    // Buttons react the same wherever they are tapped; edits, sliders and
    // up-down controls do not, so those keep the point.
    if (info->className == "Button" && info->id > 0 && desktop.FindControl(info->id) == hit) {
        return "click " + std::to_string(info->id);
    }
    return At("tap", p);
}

void Recorder::NoteExpectText(ui::Desktop& desktop) {
    const std::uint64_t now = clock_.NowMs();
    const std::optional<ui::Point> p = manner_.pointer ? manner_.pointer() : std::nullopt;
    const ui::HWND top = desktop.ActiveWindow();
    if (!p || top == nullptr) {
        Note("# F5: the mouse is not over the screen", now);
        return;
    }
    const ui::HWND hit = desktop.WindowAt(*p);
    const auto info = desktop.Describe(hit);
    if (hit == top || !info || info->id <= 0 || desktop.FindControl(info->id) != hit) {
        Note("# F5: no control with an id of its own under the mouse", now);
        return;
    }
    Note("expect text " + std::to_string(info->id) + ' ' + script::ScriptString(info->text), now);
}

void Recorder::NoteExpectScreen(ui::Desktop& desktop) {
    const std::uint64_t now = clock_.NowMs();
    const std::string name =
        script::Utf8FromPath(file_.stem()) + '-' + std::to_string(++screens_) + ".png";
    if (const platform::Result<void> written =
            ui::WritePng(desktop.Screen(),
                         script::Utf8FromPath(file_.parent_path() / script::PathFromUtf8(name)));
        !written) {
        problem_ = written.error();
        Note("# F6: " + written.error(), now);
        return;
    }
    Note("expect screen " + script::ScriptString(name), now);
}

void Recorder::FlushText() {
    if (typed_.empty()) {
        return;
    }
    Note("type " + std::to_string(typedId_) + ' ' + script::ScriptString(typed_), typedMs_);
    typed_.clear();
    typedId_ = 0;
}

void Recorder::Note(std::string command, std::uint64_t atMs) {
    if (atMs > lastMs_) {
        lines_.push_back("wait " + std::to_string(atMs - lastMs_));
        lastMs_ = atMs;
    }
    lines_.push_back(std::move(command));
}

platform::Result<void> Recorder::Save() {
    FlushText();
    std::string text =
        manner_.continuesFrom.empty()
            ? std::string("# Recorded in the kestrin window (kestrin --record). Replay with\n")
            : "# The first " + std::to_string(manner_.continues.size()) + " lines of " +
                  manner_.continuesFrom +
                  ", then recorded in the kestrin window\n"
                  "# (kestrin --open-at --record). Replay with\n";
    text += "#   kestrin --script " + script::Utf8FromPath(file_.filename()) + ' ';
    text.append(manner_.replayWith).push_back('\n');
    for (const std::string& line : manner_.continues) {
        text += line + '\n';
    }
    for (const std::string& line : lines_) {
        text += line + '\n';
    }
    if (!detail::WriteWholeFile(file_, text)) {
        return platform::Fail(script::Utf8FromPath(file_) + ": cannot write the recording");
    }
    if (!problem_.empty()) {
        return platform::Fail(problem_);
    }
    return {};
}

}  // namespace program
