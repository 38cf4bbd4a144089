#include "pixel_scale.h"

#include <algorithm>

namespace win32::window::detail {

int WholeScale(int scale, unsigned dpi) {
    if (dpi == 0) {
        dpi = kDesktopDpi;
    }
    return std::max(1, static_cast<int>(static_cast<unsigned>(scale) * dpi / kDesktopDpi));
}

}  // namespace win32::window::detail
