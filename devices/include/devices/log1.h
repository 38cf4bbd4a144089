// "LOG1:": the unit's logging. LOGGING_DISABLE takes no buffers and answers
// TRUE once logging has stopped.
#pragma once

#include "platform/win_types.h"

inline constexpr const char* kLogDeviceName = "LOG1:";

inline constexpr platform::DWORD VESK_LOG_IOCTL_LOGGING_DISABLE = 1;
