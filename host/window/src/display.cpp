#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host/window/display.h"
#include "video_init.h"

namespace host::window {

platform::Result<void> DisplayAvailable() {
    if (!detail::InitVideo(SDL_INIT_VIDEO)) {
        return platform::Fail(SDL_GetError());
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    const bool real = driver != nullptr && std::strcmp(driver, "offscreen") != 0 &&
                      std::strcmp(driver, "dummy") != 0;
    platform::Result<void> shown;
    if (!real) {
        std::string why =
            std::string("only SDL's ") + (driver != nullptr ? driver : "no") + " video driver";
        // SDL fell back to it by itself: the display named is not there (a
        // stale DISPLAY of a session that has ended, say).
        if (const char* chosen = std::getenv("SDL_VIDEODRIVER");
            chosen == nullptr || *chosen == '\0') {
            std::vector<std::string> named;
            for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
                if (const char* value = std::getenv(variable); value != nullptr && *value != '\0') {
                    named.push_back(std::string(value) + " (" + variable + ")");
                }
            }
            if (named.size() == 1) {
                why = "the display " + named[0] + " could not be opened";
            } else if (named.size() == 2) {
                why = "neither the display " + named[0] + " nor " + named[1] + " could be opened";
            }
        }
        shown = platform::Fail(std::move(why));
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return shown;
}

}  // namespace host::window
