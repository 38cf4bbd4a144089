#include "platform/services.h"

#include <atomic>

namespace platform {

namespace {
// Installed once before any thread starts and read by every thread after;
// tests swap it between cases only.
Services g_services;
}  // namespace

Services Install(const Services& services) {
    Services previous = g_services;
    g_services = services;
    std::atomic_thread_fence(std::memory_order_seq_cst);
    return previous;
}

const Services& Installed() { return g_services; }

}  // namespace platform
