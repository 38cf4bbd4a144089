#include "win32_error.h"

#include "platform/last_error.h"
#include "win32_api.h"

namespace win32 {

void TakeLastError() {
    platform::SetLastError(::GetLastError());
}

void Fail(platform::DWORD code) {
    platform::SetLastError(code);
}

}  // namespace win32
