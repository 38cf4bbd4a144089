// The command frames the console sends to the tuner module (their layout
// and codes: devices/com7.h).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "devices/com7.h"

enum class RdsCommand : int {
    Tune = 1,
    Seek = 2,
    ShowLevel = 3,
    ShowVersion = 4,
    MuteOn = 5,
    MuteOff = 6,
};

using RdsCommandFrame = std::array<std::uint8_t, kRdsCommandFrameSize>;

// The module check's version query. Its parameters differ from ShowVersion's;
// the module answers both with the same 'V' reply.
inline constexpr RdsCommandFrame kRdsVersionQuery = {kRdsCommandStart, kRdsCodeVersion, 0x78, 0x78,
                                                     kRdsCodeVersion};

// The frame for `command`. Frequencies are in 100 kHz units; every parameter
// is passed on in its low 8 bits, so out-of-range values are not rejected
// here. A command outside Tune..MuteOff gives five zero bytes, which callers
// never send (the start byte is zero).
RdsCommandFrame BuildRdsCommandFrame(RdsCommand command, int frequency, int tuneParameter,
                                     int seekParameter, bool seekUp);
