// Starting the touch calibration and watching for its file afterwards. The
// console window carries the wait: its timer 2 drives the ticks, its caption
// shows the outcome and it owns the tick counter.
#pragma once

#include <cstdint>

#include "ui/types.h"
#include "ui/wnd.h"

inline constexpr ui::UINT_PTR kCalibrationTimerId = 2;
inline constexpr ui::UINT kCalibrationTimerMs = 1000;

// The "Start calibration" request: true when the calibration should start.
// With a calibration file present the user is asked first, and on OK the
// file is deleted; Cancel gives false and changes nothing.
bool ConfirmRecalibration();

// Runs the platform's calibration (it blocks until the user is done), then
// restarts the wait on console: tick counter 0, timer 2, caption "Creating".
void StartCalibrationWait(ui::CWnd& console, std::int32_t& tick);

// One tick of timer 2: gives up from the eighth tick and ends the wait once
// the calibration file exists (both in the same tick when it turns up only
// at the eighth).
void CalibrationWaitTick(ui::CWnd& console, std::int32_t& tick);
