// Whether this machine can show a window at all.
#pragma once

#include "platform/result.h"

namespace host::window {

// Done when SDL's video starts on a real display; why not when it fails or
// only SDL's offscreen or dummy driver is left: the program then runs
// headless.
platform::Result<void> DisplayAvailable();

}  // namespace host::window
