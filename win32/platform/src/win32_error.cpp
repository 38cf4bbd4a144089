#include "win32_error.h"

#include "platform/last_error.h"
#include "win32_api.h"

// The platform's names for Win32's error codes are Win32's own values.
#define WIN32_CHECK_ERROR_CODE(name, value) \
    static_assert((name) == (value), #name " differs from <windows.h>");
PLATFORM_WIN32_ERROR_CODES(WIN32_CHECK_ERROR_CODE)
#undef WIN32_CHECK_ERROR_CODE

namespace win32::pc {

void TakeLastError() {
    platform::SetLastError(::GetLastError());
}

void Fail(platform::DWORD code) {
    platform::SetLastError(code);
}

}  // namespace win32::pc
