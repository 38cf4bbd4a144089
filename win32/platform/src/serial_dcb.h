// The platform's serial records and Win32's, mapped in one place: the
// device control block (whole-word flags here, bit fields there), the
// time-outs and the queue counts.
#pragma once

#include "platform/win_types.h"
#include "win32_api.h"

namespace win32::pc {

::DCB ToWin32Dcb(const platform::DCB& dcb);
platform::DCB FromWin32Dcb(const ::DCB& dcb);

::COMMTIMEOUTS ToWin32Timeouts(const platform::COMMTIMEOUTS& timeouts);
platform::COMMTIMEOUTS FromWin32Timeouts(const ::COMMTIMEOUTS& timeouts);

platform::COMSTAT FromWin32Comstat(const ::COMSTAT& status);

}  // namespace win32::pc
