#include "host/touch/calibration_record.h"

#include <algorithm>

namespace host::touch {

namespace {

constexpr int kPanelSteps = 1024;

int Reading(int pixel, int size) {
    return std::clamp(pixel * kPanelSteps / size, 0, kPanelSteps - 1);
}

}  // namespace

ui::Point PanelReading(ui::Point screen) {
    return {Reading(screen.x, ui::kScreenWidth), Reading(screen.y, ui::kScreenHeight)};
}

std::string CalibrationRecord(const std::array<ui::Point, kCrosshairCount>& taps) {
    std::string text = "CalibrationData=";
    for (std::size_t i = 0; i < taps.size(); ++i) {
        const ui::Point r = PanelReading(taps[i]);
        if (i != 0) {
            text += ' ';
        }
        text += std::to_string(r.x) + ',' + std::to_string(r.y);
    }
    text += "\r\n";
    return text;
}

}  // namespace host::touch
