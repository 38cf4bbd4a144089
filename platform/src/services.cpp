#include "platform/services.h"

namespace platform {

namespace {
// Installed before any thread starts and read by every thread after (thread
// creation orders the accesses); tests swap it between cases only.
Services g_services;
}  // namespace

Services Install(const Services& services) {
    Services previous = g_services;
    g_services = services;
    return previous;
}

const Services& Installed() {
    return g_services;
}

}  // namespace platform
