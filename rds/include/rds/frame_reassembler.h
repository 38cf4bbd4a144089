// Cuts the module's byte stream into 10-byte frames however the serial
// driver happens to chunk it. Bytes left over from one read are kept (never
// more than 9) and joined with the next; every complete frame is yielded; a
// byte that cannot start a frame (no 0x3F there, or none 9 bytes later) is
// skipped on its own, so the stream resynchronises at the next real frame.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "rds/module_frame.h"

class RdsFrameReassembler {
  public:
    // Takes one byte; gives the frame that this byte completes, if any.
    std::optional<RdsFrame> Push(std::uint8_t byte);

    // Takes a whole chunk and calls onFrame(const RdsFrame&) for every frame
    // completed in it, in stream order.
    template <typename OnFrame>
    void Feed(std::span<const std::uint8_t> chunk, OnFrame&& onFrame) {
        for (const std::uint8_t byte : chunk) {
            if (auto frame = Push(byte)) {
                onFrame(*frame);
            }
        }
    }

    // Bytes held for the next chunk, 0..9.
    [[nodiscard]] std::size_t Pending() const { return m_nPending; }

  private:
    // Drops the first held byte and any that follow it up to the next 0x3F.
    void Resynchronise();

    std::array<std::uint8_t, kRdsFrameSize> m_buffer{};
    std::size_t m_nPending = 0;
};
