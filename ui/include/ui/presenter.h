// What shows the framebuffer and delivers the user's input to the framework's
// message loop. Its implementations: the SDL window (host::window::SdlPresenter) and
// the Win32 window (win32::window::Win32Presenter); the headless presenter and the
// script runner (script::ScriptRunner); and the program's presenters that
// stand between the window and the framework: the recorder of a session, the
// frame keeper and the unit's hardware keys. Tests have their own.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "ui/graphics.h"

namespace ui {

enum class Key {
    None,
    Enter,
    Escape,
    Backspace,
    Delete,
    Tab,
    Left,
    Right,
    Up,
    Down,
    Home,
    End,
    F1,
    F2,
    F3,
    F4,
    F5,
    F6,
};

struct InputEvent {
    enum class Kind {
        PenDown,  // x, y in screen pixels
        PenMove,
        PenUp,
        KeyDown,  // key
        KeyUp,
        Text,  // text typed (UTF-8)
        Quit,  // the unit is switched off: the program ends
        Wake,  // nothing happened; the loop looks at its queues and timers
    };
    Kind kind = Kind::Wake;
    int x = 0;
    int y = 0;
    Key key = Key::None;
    std::string text;
};

class Presenter {
  public:
    virtual ~Presenter() = default;

    // The framework calls this after it has painted, with the whole screen.
    virtual void Present(const Framebuffer& screen) = 0;

    // Blocks until there is input, until Wake() is called from any thread,
    // or until the clock reaches deadlineMs (when given), whichever is first.
    // The framework calls it only when its queues are empty.
    virtual InputEvent WaitEvent(std::optional<std::uint64_t> deadlineMs) = 0;

    // Thread-safe: makes a pending or the next WaitEvent return at once.
    virtual void Wake() = 0;
};

}  // namespace ui
