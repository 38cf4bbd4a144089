// What the virtual unit's calibration measures and writes: the five
// crosshairs (centre, then the corners clockwise from the upper left), the
// panel's 10-bit readings of a screen point, and the text of calib.dat.
#pragma once

#include <array>
#include <string>

#include "ui/graphics.h"

namespace host::touch {

inline constexpr int kCrosshairCount = 5;
inline constexpr std::array<ui::Point, kCrosshairCount> kCrosshairs = {{
    {160, 120},  // centre
    {40, 30},    // upper left
    {280, 30},   // upper right
    {280, 210},  // lower right
    {40, 210},   // lower left
}};

// A tap counts for a crosshair when it lands this close in both axes.
inline constexpr int kCrosshairReach = 24;

// The panel reports 0..1023 across the screen in each axis.
ui::Point PanelReading(ui::Point screen);

// "CalibrationData=x,y x,y x,y x,y x,y\r\n" with the readings of the taps,
// in crosshair order.
std::string CalibrationRecord(const std::array<ui::Point, kCrosshairCount>& taps);

}  // namespace host::touch
