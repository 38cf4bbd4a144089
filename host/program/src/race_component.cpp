#include "host/race_component.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "host/unit/virtual_unit.h"

namespace host {

namespace {

constexpr char kName[] = "race";

class RaceComponent final : public unit::Component {
  public:
    void Declare(unit::Schema& schema, unit::VirtualUnit&) override {
        schema.Add(kName).Boolean("order_by_thread", [this](bool on) { on_.store(on); });
    }

    unit::SetError Start(unit::VirtualUnit& unit) override {
        if (!on_.load()) {
            return std::nullopt;
        }
        // The thread sleeps up to a millisecond, as the wall clock's
        // microseconds fall; the loader half of one: either may write first.
        using namespace std::chrono;
        const auto nap = microseconds(
            duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count() % 1000);
        std::jthread thread([&unit, nap] {
            std::this_thread::sleep_for(nap);
            unit.DebugOutput("race: the thread\r\n");
        });
        std::this_thread::sleep_for(microseconds(500));
        unit.DebugOutput("race: the loader\r\n");
        return std::nullopt;
    }

  private:
    std::atomic<bool> on_{false};
};

}  // namespace

unit::ComponentKind RaceComponentKind() {
    return {kName, [] { return std::make_unique<RaceComponent>(); }};
}

}  // namespace host
