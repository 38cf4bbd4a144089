#include "platform/services.h"

#include "platform/world.h"

namespace platform {

// The services live in the calling thread's world. The process's world is
// installed before any thread starts and read by every thread after (thread
// creation orders the accesses); tests swap it between cases only.
Services Install(const Services& services) {
    Services& installed = CurrentWorld().services;
    const Services previous = installed;
    installed = services;
    return previous;
}

const Services& Installed() {
    return CurrentWorld().services;
}

}  // namespace platform
