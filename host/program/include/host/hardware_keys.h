// The unit's hardware keys on the development machine's keyboard: F1 held is
// the POWER key held (gpio.power_key 1), F2 the GUIDE key (gpio.guide_key).
// Wraps the presenter that reads the keyboard; every other event passes.
#pragma once

#include <cstdint>
#include <optional>

#include "ui/graphics.h"
#include "ui/presenter.h"

namespace host::unit {
class VirtualUnit;
}

namespace host {

class HardwareKeys final : public ui::Presenter {
  public:
    HardwareKeys(ui::Presenter& inner, unit::VirtualUnit& unit);

    void Present(const ui::Framebuffer& screen) override;
    ui::InputEvent WaitEvent(std::optional<std::uint64_t> deadlineMs) override;
    void Wake() override;

  private:
    ui::Presenter& inner_;
    unit::VirtualUnit& unit_;
};

}  // namespace host
