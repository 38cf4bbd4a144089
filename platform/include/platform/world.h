// One run's world: the installed services and what the layers above keep
// per run (the framework's application object, its cross-thread hub, its
// thread objects). A world is installed for a thread and inherited by every
// thread that thread starts through platform::CreateThread, so the calls of
// a run, on any of its threads, find that run's unit and windows and no
// other's. A thread with no world installed (nor inherited) uses the
// process's own, as a program with one run does.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/services.h"
#include "platform/win_types.h"

namespace platform {

class World {
  public:
    World() = default;
    explicit World(const Services& installed) : services(installed) {}
    World(const World&) = delete;
    World& operator=(const World&) = delete;
    ~World() = default;

    Services services;

    // The state of type T a layer above keeps in this world: made on first
    // use, alive as long as the world. Any thread.
    template <class T>
    T& Part() {
        const void* const key = &kPartKey<T>;
        std::lock_guard lock(partsMutex_);
        for (const auto& [k, part] : parts_) {
            if (k == key) {
                return *static_cast<T*>(part.get());
            }
        }
        auto made = std::make_shared<T>();
        T& part = *made;
        parts_.emplace_back(key, std::move(made));
        return part;
    }

  private:
    template <class T>
    static constexpr char kPartKey = 0;

    std::mutex partsMutex_;
    // Destroyed before services, which a part may still call as it goes.
    std::vector<std::pair<const void*, std::shared_ptr<void>>> parts_;
};

// The calling thread's world: the one installed for it or inherited, else
// the process's own.
World& CurrentWorld();

// Wraps a thread's entry so that the thread runs in the calling thread's
// world (platform::CreateThread does this for every thread it starts). The
// new thread shares the world, which lives until its last thread is done.
std::function<DWORD()> InheritWorld(std::function<DWORD()> entry);

// Installs a world for the calling thread for a scope, restoring the
// previous one (or none) on exit.
class ScopedWorld {
  public:
    explicit ScopedWorld(std::shared_ptr<World> world);
    ScopedWorld(const ScopedWorld&) = delete;
    ScopedWorld& operator=(const ScopedWorld&) = delete;
    ~ScopedWorld();

  private:
    std::shared_ptr<World> previous_;
};

}  // namespace platform
