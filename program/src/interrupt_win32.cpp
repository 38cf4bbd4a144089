#include <windows.h>

#include "interrupt_end.h"
#include "platform/exit_status.h"
#include "program/interrupt.h"

namespace program {

namespace {

// On a thread of its own, as the console delivers each event; the program
// ends before it returns.
BOOL WINAPI ConsoleEvent(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            break;
        default:
            return FALSE;
    }
    if (detail::AskToStop()) {
        Sleep(static_cast<DWORD>(detail::kStopSeconds) * 1000);
    }
    detail::TakeInterruptActions();
    // The status a Ctrl+C gives on Linux, whichever event it was.
    ExitProcess(static_cast<UINT>(platform::kExitInterrupted));
}

}  // namespace

void HandleInterrupts() {
    SetConsoleCtrlHandler(ConsoleEvent, TRUE);
}

}  // namespace program
