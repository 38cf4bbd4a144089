#include "host/touch/touch_component.h"

#include <cstdint>
#include <limits>
#include <memory>

#include "host/touch/touch_panel.h"
#include "host/unit/component.h"
#include "host/unit/virtual_unit.h"

namespace host::touch {

namespace {

constexpr char kName[] = "touch";
// A day; anything longer is surely a typing error.
constexpr std::int64_t kLongestDelayMs = 24LL * 60 * 60 * 1000;

class TouchComponent final : public unit::Component {
  public:
    void Declare(unit::Schema& schema, unit::VirtualUnit& unit) override {
        panel_ = std::make_unique<TouchPanel>(unit);
        schema.Add(kName).Integer("calib_delay_ms", std::numeric_limits<std::int32_t>::min(),
                                  kLongestDelayMs,
                                  [this](std::int64_t ms) { panel_->SetCalibrationDelay(ms); });
    }

    TouchPanel* Panel() { return panel_.get(); }

  private:
    std::unique_ptr<TouchPanel> panel_;
};

}  // namespace

unit::ComponentKind TouchComponentKind() {
    return {kName, [] { return std::make_unique<TouchComponent>(); }};
}

TouchPanel* PanelOf(unit::VirtualUnit& unit) {
    auto* component = dynamic_cast<TouchComponent*>(unit.FindComponent(kName));
    return component != nullptr ? component->Panel() : nullptr;
}

platform::Touch* TouchOf(unit::VirtualUnit& unit) {
    return PanelOf(unit);
}

}  // namespace host::touch
