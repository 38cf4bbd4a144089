// When a serial ReadFile gives up, from the port's COMMTIMEOUTS as Win32
// reads them: an interval limit between two bytes once the first has come, a
// total limit of multiplier x bytes asked + constant from the start of the
// read, and two special cases (MAXDWORD interval with zero totals: return at
// once; MAXDWORD interval and multiplier with a constant: return as soon as
// anything is there, or after the constant). Both COM7: backends share it;
// each measures time with its own clock.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/win_types.h"

namespace host::com7 {

class ReadDeadline {
  public:
    ReadDeadline(const platform::COMMTIMEOUTS& timeouts, platform::DWORD toRead,
                 std::uint64_t startMs);

    // The read takes what is queued and returns, even with nothing.
    [[nodiscard]] bool Immediate() const { return immediate_; }
    // The read returns as soon as it holds at least one byte.
    [[nodiscard]] bool ReturnOnAnyByte() const { return anyByte_; }
    // When the read ends if nothing more arrives, having `got` bytes so far,
    // the last of them received at lastByteMs. nullopt: it waits for as
    // long as it takes.
    [[nodiscard]] std::optional<std::uint64_t> Deadline(platform::DWORD got,
                                                        std::uint64_t lastByteMs) const;

  private:
    bool immediate_ = false;
    bool anyByte_ = false;
    std::optional<std::uint64_t> total_;
    std::optional<std::uint64_t> interval_;
};

}  // namespace host::com7
