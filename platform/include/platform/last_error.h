// The per-thread last-error code of the platform calls.
#pragma once

#include "platform/win_types.h"

namespace platform {

DWORD GetLastError();
void SetLastError(DWORD code);

}  // namespace platform
