// The unit's hardware keys on the development machine's keyboard: F1 held is
// the POWER key held (gpio.power_key 1), F2 the GUIDE key (gpio.guide_key).
// Wraps the presenter that reads the keyboard; every other event passes.
// It also keeps the last frame shown, for a screenshot when the run ends.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "ui/graphics.h"
#include "ui/presenter.h"

namespace unit {
class VirtualUnit;
}

namespace program {

class HardwareKeys final : public ui::Presenter {
  public:
    HardwareKeys(ui::Presenter& inner, unit::VirtualUnit& unit);

    void Present(const ui::Framebuffer& screen) override;
    ui::InputEvent WaitEvent(std::optional<std::uint64_t> deadlineMs) override;
    void Wake() override;

    [[nodiscard]] const ui::Framebuffer& LastFrame() const { return last_; }
    [[nodiscard]] std::uint64_t Frames() const { return frames_; }
    // Called after each frame has been shown.
    std::function<void(std::uint64_t frame)> afterPresent;

  private:
    ui::Presenter& inner_;
    unit::VirtualUnit& unit_;
    ui::Framebuffer last_;
    std::uint64_t frames_ = 0;
};

}  // namespace program
