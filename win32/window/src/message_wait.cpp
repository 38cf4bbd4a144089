#include "message_wait.h"

#include <algorithm>

#include <windows.h>

namespace win32::window::detail {

Woken WaitForMessages(void* wake, unsigned long timeoutMs) {
    HANDLE handle = wake;
    const DWORD woke =
        MsgWaitForMultipleObjectsEx(1, &handle, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    switch (woke) {
        case WAIT_OBJECT_0:
            return Woken::Wake;
        case WAIT_OBJECT_0 + 1:
            return Woken::Messages;
        case WAIT_TIMEOUT:
            return Woken::Deadline;
        default:
            Sleep(std::min<DWORD>(timeoutMs, kFailedWaitMs));
            return Woken::Deadline;
    }
}

}  // namespace win32::window::detail
