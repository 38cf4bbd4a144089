// The pieces of window-message translation that need no window: virtual
// keys to the unit's keys, typed UTF-16 units to UTF-8 text, window pixels
// to screen pixels.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "ui/presenter.h"

namespace win32::window::detail {

// The unit's key for a Windows virtual-key code, Key::None for keys the
// unit does not have.
ui::Key KeyForVirtualKey(std::uint32_t virtualKey);

// Keys whose auto-repeat reaches the framework: the editing keys repeat,
// the unit's hardware keys (F1 to F4) and the recorder's (F5, F6) do not.
bool Repeats(ui::Key key);

// WM_CHAR delivers UTF-16 units one message at a time; characters beyond
// the basic plane come as two. Control characters (Enter, Esc, Tab and
// Backspace come as keys) are not text.
class TypedText {
  public:
    // The text a unit completes, if any.
    std::optional<std::string> Add(char16_t unit);

  private:
    char16_t high_ = 0;  // a high surrogate waiting for its partner
};

// A window coordinate (possibly negative while the mouse is captured) in
// screen pixels at a whole scale.
int ToScreen(int windowCoordinate, int scale);

}  // namespace win32::window::detail
