#include "host/race_component.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include "host/unit/virtual_unit.h"
#include "platform/traffic.h"

namespace host {

namespace {

constexpr char kName[] = "race";

class RaceComponent final : public unit::Component {
  public:
    void Declare(unit::Schema& schema, unit::VirtualUnit&) override {
        schema.Add(kName)
            .Boolean("order_by_thread", [this](bool on) { on_.store(on); })
            .Boolean("traffic_by_thread", [this](bool on) { traffic_.store(on); })
            .String("marker_file", [this](const std::string& file) {
                const std::scoped_lock lock(mutex_);
                marker_ = file;
            });
    }

    unit::SetError Start(unit::VirtualUnit& unit) override {
        SayWhetherTheMarkerIsThere(unit);
        if (traffic_.load()) {
            // The same race in the traffic only: two registry events, kept
            // from here so that the first step carries them.
            unit.traffic().Keep();
            Race([&unit](const char* who) {
                auto event = platform::TrafficOf("registry", platform::TrafficKind::RegistryCreate);
                event.path = std::string("Race\\") + who;
                unit.traffic().Record(std::move(event));
            });
        }
        if (on_.load()) {
            Race([&unit](const char* who) {
                unit.DebugOutput(std::string("race: the ") + who + "\r\n");
            });
        }
        return std::nullopt;
    }

  private:
    // Says "thread" from a thread and "loader" from here, in the order their
    // timing gives.
    template <class Say>
    static void Race(const Say& say) {
        // The thread sleeps up to a millisecond, as the wall clock's
        // microseconds fall; the loader half of one: either may write first.
        using namespace std::chrono;
        const auto nap = microseconds(
            duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count() % 1000);
        std::jthread thread([&say, nap] {
            std::this_thread::sleep_for(nap);
            say("thread");
        });
        std::this_thread::sleep_for(microseconds(500));
        say("loader");
    }

    // Whether a host file outside the unit was there as the unit started:
    // a script that makes it (screenshot) after the start fails on its first
    // run and passes on every later one, across fresh copies of the unit.
    void SayWhetherTheMarkerIsThere(unit::VirtualUnit& unit) {
        std::string file;
        {
            const std::scoped_lock lock(mutex_);
            file = marker_;
        }
        if (file.empty()) {
            return;
        }
        std::error_code ec;
        unit.DebugOutput(std::filesystem::exists(file, ec) ? "race: the marker is there\r\n"
                                                           : "race: no marker\r\n");
    }

    std::atomic<bool> on_{false};
    std::atomic<bool> traffic_{false};
    std::mutex mutex_;
    std::string marker_;
};

}  // namespace

unit::ComponentKind RaceComponentKind() {
    return {kName, [] { return std::make_unique<RaceComponent>(); }};
}

}  // namespace host
