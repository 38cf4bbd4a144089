#include "host/hardware_keys.h"

#include "host/unit/virtual_unit.h"

namespace host {

namespace {

const char* UnitKeyOf(ui::Key key) {
    switch (key) {
        case ui::Key::F1:
            return "gpio.power_key";
        case ui::Key::F2:
            return "gpio.guide_key";
        default:
            return nullptr;
    }
}

}  // namespace

HardwareKeys::HardwareKeys(ui::Presenter& inner, unit::VirtualUnit& unit)
    : inner_(inner), unit_(unit) {}

void HardwareKeys::Present(const ui::Framebuffer& screen) {
    inner_.Present(screen);
}

ui::InputEvent HardwareKeys::WaitEvent(std::optional<std::uint64_t> deadlineMs) {
    ui::InputEvent event = inner_.WaitEvent(deadlineMs);
    const bool down = event.kind == ui::InputEvent::Kind::KeyDown;
    if (down || event.kind == ui::InputEvent::Kind::KeyUp) {
        if (const char* key = UnitKeyOf(event.key)) {
            // Held keys repeat; setting the same level again changes nothing.
            unit_.Set(key, down ? "1" : "0");
            return {};
        }
    }
    return event;
}

void HardwareKeys::Wake() {
    inner_.Wake();
}

}  // namespace host
