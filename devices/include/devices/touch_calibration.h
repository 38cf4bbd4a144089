// The touch panel's calibration file. The platform's calibration writes it;
// applications test whether it exists and delete it to ask for a new one.
#pragma once

inline constexpr char kCalibrationFilePath[] = "\\Mounted Volume\\Vesk\\calib.dat";
