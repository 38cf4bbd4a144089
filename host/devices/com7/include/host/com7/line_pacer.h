// The module's transmit line: frames go out back to back at the module's
// rate, 8N1 (ten bit times a byte), and reach the port's receive queue in chunks of
// varying size, each once its last byte has been received, as a UART's FIFO
// and interrupt timing would hand them over. Times are microseconds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

#include "devices/com7.h"

namespace host::com7 {

// The time one byte takes on the line.
inline constexpr std::uint32_t kBitsPerByte = 10;
// The end of byte n (0-based) of a burst that starts at 0, rounded up to the
// microsecond.
constexpr std::uint64_t ByteEndUs(std::uint64_t n) {
    const std::uint64_t bits = (n + 1) * kBitsPerByte * 1'000'000;
    return (bits + kRdsBaudRate - 1) / kRdsBaudRate;
}

class LinePacer {
  public:
    // maxChunk: the largest chunk delivered at once (at least 1); seed: the
    // chunk sizes' sequence, so that a run can be repeated.
    explicit LinePacer(std::size_t maxChunk = 16, std::uint32_t seed = 0x4B455354);

    // Queues bytes that are ready to go at readyUs; they start once the line
    // is free.
    void Send(std::span<const std::uint8_t> bytes, std::uint64_t readyUs);
    // When the next chunk will have been received completely.
    [[nodiscard]] std::optional<std::uint64_t> NextChunkUs() const;
    // The next chunk if it is complete by nowUs, and the time its last byte
    // ended.
    struct Chunk {
        std::vector<std::uint8_t> bytes;
        std::uint64_t endUs = 0;
    };
    std::optional<Chunk> TakeChunk(std::uint64_t nowUs);
    // Drops everything not yet delivered (the line went quiet).
    void Clear();
    [[nodiscard]] std::size_t Queued() const { return bytes_.size(); }
    void SetMaxChunk(std::size_t maxChunk);

  private:
    struct TimedByte {
        std::uint8_t value;
        std::uint64_t endUs;
    };
    std::size_t NextChunkSize();

    std::size_t maxChunk_;
    std::uint32_t random_;
    std::deque<TimedByte> bytes_;
    std::uint64_t lineFreeUs_ = 0;
    std::size_t chunk_ = 0;  // size of the chunk being received; 0: not chosen yet
};

}  // namespace host::com7
