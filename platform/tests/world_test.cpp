#include "platform/world.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace platform {
namespace {

struct Counter {
    int value = 0;
};

// Runs entry on a thread of its own, as a kernel's CreateThread does.
DWORD OnThread(const std::function<DWORD()>& entry) {
    DWORD result = 0;
    std::thread([&] { result = entry(); }).join();
    return result;
}

TEST(World, ThreadsRunInTheWorldOfTheThreadThatStartedThem) {
    World& process = CurrentWorld();
    const auto run = std::make_shared<World>();
    const auto other = std::make_shared<World>();
    const auto inWorld = [](const World* expected) {
        return [expected]() -> DWORD { return &CurrentWorld() == expected ? 1 : 0; };
    };
    std::function<DWORD()> startedLate;
    {
        const ScopedWorld installed(run);
        EXPECT_EQ(&CurrentWorld(), run.get());
        EXPECT_EQ(OnThread(InheritWorld(inWorld(run.get()))), 1U);
        // A thread started otherwise has the process's world.
        EXPECT_EQ(OnThread(inWorld(&process)), 1U);
        {
            const ScopedWorld nested(other);
            EXPECT_EQ(OnThread(InheritWorld(inWorld(other.get()))), 1U);
        }
        EXPECT_EQ(&CurrentWorld(), run.get());
        // Each world keeps one part of a kind, the same on every thread.
        run->Part<Counter>().value = 7;
        EXPECT_EQ(OnThread(InheritWorld(
                      [] { return static_cast<DWORD>(CurrentWorld().Part<Counter>().value); })),
                  7U);
        EXPECT_EQ(other->Part<Counter>().value, 0);
        startedLate = InheritWorld(inWorld(run.get()));
    }
    EXPECT_EQ(&CurrentWorld(), &process);
    // A thread that runs after its starter's scope still has that world.
    EXPECT_EQ(OnThread(startedLate), 1U);
}

}  // namespace
}  // namespace platform
