// SDL events to the framework's input events, apart from the window so that
// the mapping can be checked without a display.
#pragma once

#include <SDL.h>

#include <optional>

#include "ui/presenter.h"

namespace host::window::detail {

// The unit's key for an SDL key, Key::None for keys the unit does not have.
ui::Key KeyFor(SDL_Keycode key);

// The input event an SDL event stands for, or nothing for events the unit
// does not see. penDown carries the left button's state from one event to
// the next. Mouse coordinates are taken as they come (SDL has already mapped
// them to screen pixels); wake events are not handled here.
std::optional<ui::InputEvent> Translate(const SDL_Event& event, bool& penDown);

}  // namespace host::window::detail
