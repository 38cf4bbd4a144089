// Whether this machine can show a window at all.
#pragma once

#include <string>

namespace host::window {

// True when SDL's video starts on a real display. False, with the reason in
// *why, when it fails or only SDL's offscreen or dummy driver is left: the
// program then runs headless.
bool DisplayAvailable(std::string* why = nullptr);

}  // namespace host::window
