// How a replayed cycle reaches the driver: cut into chunks of varying size,
// so that chunk boundaries fall inside sentences as a real driver's do, each
// chunk arriving when its last byte would have come over the serial line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace host::gps1 {

// Chunk sizes from a fixed pseudo-random sequence (xorshift32), so that a
// replay is the same on every run.
class ChunkSizer {
  public:
    explicit ChunkSizer(std::uint32_t seed = 0x47505331) : state_(seed == 0 ? 1 : seed) {}

    // Sizes in [minSize, maxSize] (swapped when given the wrong way round,
    // 0 taken as 1) adding up to total; the last may be smaller.
    std::vector<std::size_t> Split(std::size_t total, std::size_t minSize, std::size_t maxSize);

  private:
    std::uint32_t Next();
    std::uint32_t state_;
};

// Milliseconds after the cycle's start at which each chunk is complete: its
// bytes' time on a line of `baud` bits per second (10 bits a byte), squeezed
// into the first nine tenths of the period when the line is too slow for it.
std::vector<std::uint64_t> ArrivalOffsets(const std::vector<std::size_t>& sizes, std::uint32_t baud,
                                          std::uint64_t periodMs);

}  // namespace host::gps1
