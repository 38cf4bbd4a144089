// The touch panel's calibration.
#pragma once

#include "platform/win_types.h"

namespace platform {

class Touch {
  public:
    virtual ~Touch() = default;
    // Runs the platform's calibration dialogue and returns when it ends.
    virtual BOOL TouchCalibrate() = 0;
};

}  // namespace platform
