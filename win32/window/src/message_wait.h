// One wait of the window's loop: for the thread's window messages, the
// wake-up event and the deadline, in one MsgWaitForMultipleObjectsEx.
// Messages sent from other threads are served inside it.
#pragma once

namespace win32::window::detail {

enum class Woken {
    Messages,  // window messages are waiting
    Wake,      // the event was set
    Deadline,  // the time ran out, or the wait failed
};

// A wait that fails (a handle that went bad) takes up to kFailedWaitMs of
// the time all the same, so that a loop that waits again does not spin.
inline constexpr unsigned long kFailedWaitMs = 10;

Woken WaitForMessages(void* wake, unsigned long timeoutMs);

}  // namespace win32::window::detail
