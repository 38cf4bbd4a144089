// The device control block of the kernel's serial calls against termios:
// baud, data bits, parity, stop bits and flow control. Everything else of
// the block has no termios counterpart and is neither set nor reported.
#pragma once

#include <termios.h>

#include "platform/win_types.h"

namespace host::com7 {

// Mark and space parity and one and a half stop bits, as the DCB numbers them.
inline constexpr platform::BYTE MARKPARITY = 3;
inline constexpr platform::BYTE SPACEPARITY = 4;
inline constexpr platform::BYTE ONE5STOPBITS = 1;
inline constexpr platform::DWORD RTS_CONTROL_HANDSHAKE = 2;

// Changes `tio` to the block's line settings; false (tio unchanged) when a
// value has no termios form (a baud rate Linux lacks, 9 data bits, 1.5 stop
// bits with more than 5 data bits ...).
bool ApplyDcb(const platform::DCB& dcb, termios* tio);
// The line settings `tio` holds, as a block. Fields termios does not know
// keep the values of `base`.
platform::DCB ReadDcb(const termios& tio, const platform::DCB& base = {});

}  // namespace host::com7
