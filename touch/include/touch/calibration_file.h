// The touch calibration file. The platform's calibration writes it; the
// console only tests whether it exists and deletes it before a requested
// recalibration.
#pragma once

#include "devices/touch_calibration.h"

// Whether anything answers to the calibration file's path (FindFirstFile).
bool CalibrationFileExists();
