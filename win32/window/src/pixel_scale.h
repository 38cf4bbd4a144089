// How many of the desktop's pixels a screen pixel takes: the scale asked
// for counts pixels of a desktop at 96 dots per inch (100 %), and a scaled
// desktop multiplies it in whole pixels, rounding down, so the frame is
// never smoothed and the window is never larger than Windows' own
// stretching would make it (2 at 150 % is 3, at 125 % still 2).
#pragma once

namespace win32::window::detail {

inline constexpr unsigned kDesktopDpi = 96;

int WholeScale(int scale, unsigned dpi);

}  // namespace win32::window::detail
