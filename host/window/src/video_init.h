// Starting SDL's video subsystem. An X server can refuse a connection now and
// then (Xvfb does under load), so a few attempts are made before giving up.
#pragma once

#include <SDL.h>

namespace host::window::detail {

inline bool InitVideo(Uint32 flags) {
    constexpr int kAttempts = 5;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (SDL_InitSubSystem(flags) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace host::window::detail
