#include <SDL.h>

#include <cstring>

#include "sdl/display.h"
#include "video_init.h"

namespace sdl {

bool DisplayAvailable(std::string* why) {
    if (!detail::InitVideo(SDL_INIT_VIDEO)) {
        if (why != nullptr) {
            *why = SDL_GetError();
        }
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    const bool real = driver != nullptr && std::strcmp(driver, "offscreen") != 0 &&
                      std::strcmp(driver, "dummy") != 0;
    if (!real && why != nullptr) {
        *why = std::string("only SDL's ") + (driver != nullptr ? driver : "no") + " video driver";
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return real;
}

}  // namespace sdl
