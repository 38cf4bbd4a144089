// The millisecond clock.
#pragma once

#include <cstdint>

namespace platform {

// A free-running millisecond clock (timeGetTime); wraps modulo 2^32 for the
// system, 64-bit for the framework's timers.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual std::uint64_t NowMs() = 0;
};

}  // namespace platform
