#include "input_translation.h"

#include <algorithm>

namespace host::window::detail {

namespace {

ui::InputEvent Make(ui::InputEvent::Kind kind) {
    ui::InputEvent e;
    e.kind = kind;
    return e;
}

ui::InputEvent Pen(ui::InputEvent::Kind kind, int x, int y) {
    ui::InputEvent e = Make(kind);
    e.x = x;
    e.y = y;
    return e;
}

bool IsHardwareKey(ui::Key key) {
    return key == ui::Key::F1 || key == ui::Key::F2 || key == ui::Key::F3 || key == ui::Key::F4 ||
           key == ui::Key::F5 || key == ui::Key::F6;
}

}  // namespace

ui::Key KeyFor(SDL_Keycode key) {
    switch (key) {
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            return ui::Key::Enter;
        case SDLK_ESCAPE:
            return ui::Key::Escape;
        case SDLK_BACKSPACE:
            return ui::Key::Backspace;
        case SDLK_DELETE:
            return ui::Key::Delete;
        case SDLK_TAB:
            return ui::Key::Tab;
        case SDLK_LEFT:
            return ui::Key::Left;
        case SDLK_RIGHT:
            return ui::Key::Right;
        case SDLK_UP:
            return ui::Key::Up;
        case SDLK_DOWN:
            return ui::Key::Down;
        case SDLK_HOME:
            return ui::Key::Home;
        case SDLK_END:
            return ui::Key::End;
        case SDLK_F1:
            return ui::Key::F1;
        case SDLK_F2:
            return ui::Key::F2;
        case SDLK_F3:
            return ui::Key::F3;
        case SDLK_F4:
            return ui::Key::F4;
        case SDLK_F5:
            return ui::Key::F5;
        case SDLK_F6:
            return ui::Key::F6;
        default:
            return ui::Key::None;
    }
}

std::optional<ui::InputEvent> Translate(const SDL_Event& event, bool& penDown) {
    using Kind = ui::InputEvent::Kind;
    switch (event.type) {
        case SDL_QUIT:
            return Make(Kind::Quit);
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
                return Make(Kind::Quit);
            }
            return std::nullopt;
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.button != SDL_BUTTON_LEFT || penDown) {
                return std::nullopt;
            }
            penDown = true;
            return Pen(Kind::PenDown, event.button.x, event.button.y);
        case SDL_MOUSEMOTION:
            if (!penDown) {
                return std::nullopt;
            }
            if ((event.motion.state & SDL_BUTTON_LMASK) == 0) {
                // The release happened where we could not see it (another
                // window took the mouse): end the stroke here.
                penDown = false;
                return Pen(Kind::PenUp, event.motion.x, event.motion.y);
            }
            return Pen(Kind::PenMove, event.motion.x, event.motion.y);
        case SDL_MOUSEBUTTONUP:
            if (event.button.button != SDL_BUTTON_LEFT || !penDown) {
                return std::nullopt;
            }
            penDown = false;
            return Pen(Kind::PenUp, event.button.x, event.button.y);
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            const ui::Key key = KeyFor(event.key.keysym.sym);
            // Held editing keys repeat; the unit's hardware keys do not.
            if (key == ui::Key::None || (event.key.repeat != 0 && IsHardwareKey(key))) {
                return std::nullopt;
            }
            ui::InputEvent e = Make(event.type == SDL_KEYDOWN ? Kind::KeyDown : Kind::KeyUp);
            e.key = key;
            return e;
        }
        case SDL_TEXTINPUT: {
            ui::InputEvent e = Make(Kind::Text);
            const char* text = event.text.text;
            e.text.assign(text, std::find(text, text + sizeof event.text.text, '\0'));
            if (e.text.empty()) {
                return std::nullopt;
            }
            return e;
        }
        default:
            return std::nullopt;
    }
}

}  // namespace host::window::detail
