// The two halves of an interrupt's end, for the backend's half that takes
// the interrupt (interrupt_posix.cpp, interrupt_win32.cpp).
#pragma once

namespace program::detail {

// Asks the run to stop as its user would; false when it has no such way.
bool AskToStop();

// Takes every action registered, newest first; nothing is registered or put
// in place afterwards. The program must end next.
void TakeInterruptActions();

// How long a run asked to stop has before its actions are taken anyway.
inline constexpr int kStopSeconds = 5;

}  // namespace program::detail
