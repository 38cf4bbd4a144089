// The kernel and the small services beside it (each in its own header), and
// the one place where a backend (the virtual unit on the host, coredll on the
// target) installs them.
#pragma once

#include "platform/clock.h"
#include "platform/kernel.h"
#include "platform/power.h"
#include "platform/prompt.h"
#include "platform/registry.h"
#include "platform/sound.h"
#include "platform/touch.h"

namespace platform {

// What a backend provides. Any member may be null when a program does not
// need it; calling into a missing service is a programming error.
struct Services {
    Kernel* kernel = nullptr;
    Sound* sound = nullptr;
    Power* power = nullptr;
    Touch* touch = nullptr;
    Registry* registry = nullptr;
    Clock* clock = nullptr;
    Prompt* prompt = nullptr;
};

// Installs the backend in the calling thread's world (platform/world.h);
// returns the previous one.
Services Install(const Services& services);
const Services& Installed();

// Installs for a scope (tests), restoring the previous backend on exit.
class ScopedServices {
  public:
    explicit ScopedServices(const Services& services) : previous_(Install(services)) {}
    ScopedServices(const ScopedServices&) = delete;
    ScopedServices& operator=(const ScopedServices&) = delete;
    ~ScopedServices() { Install(previous_); }

  private:
    Services previous_;
};

}  // namespace platform
