#include "platform/world.h"

namespace platform {

namespace {

// Null: the process's world.
thread_local std::shared_ptr<World> t_world;

// Never destroyed: threads the process never joined may still ask for it at
// exit.
World& ProcessWorld() {
    static World* const world = std::make_unique<World>().release();
    return *world;
}

}  // namespace

World& CurrentWorld() {
    World* const installed = t_world.get();
    return installed != nullptr ? *installed : ProcessWorld();
}

std::function<DWORD()> InheritWorld(std::function<DWORD()> entry) {
    if (t_world == nullptr) {
        return entry;
    }
    return [world = t_world, entry = std::move(entry)] {
        const ScopedWorld installed(world);
        return entry();
    };
}

ScopedWorld::ScopedWorld(std::shared_ptr<World> world) : previous_(std::move(t_world)) {
    t_world = std::move(world);
}

ScopedWorld::~ScopedWorld() {
    t_world = std::move(previous_);
}

}  // namespace platform
