// Captions the console shows while it waits for the calibration file.
#pragma once

namespace test_support {

inline constexpr char kCreating[] = "Kestrin -- Creating calib.dat.";
inline constexpr char kNotCreated[] = "Kestrin -- Not created!! calib.dat";

}  // namespace test_support
