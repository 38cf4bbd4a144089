#pragma once

// A chunk of receiver bytes on its way from the receive thread to the GPS
// information window. The thread allocates it, the posted message carries
// its address, and whoever holds it last frees it. Every chunk is counted,
// so that one left behind shows.

#include <cstddef>
#include <cstdint>
#include <memory>

struct GpsChunkFree {
    void operator()(std::uint8_t* chunk) const noexcept;
};

using GpsChunk = std::unique_ptr<std::uint8_t[], GpsChunkFree>;

// A zero-filled chunk of exactly `bytes` bytes (at least one byte is
// reserved), or null when the heap has no room.
GpsChunk AllocateGpsChunk(std::size_t bytes) noexcept;

// Takes back a chunk whose address travelled in a message.
inline GpsChunk AdoptGpsChunk(std::uintptr_t address) noexcept {
    return GpsChunk(reinterpret_cast<std::uint8_t*>(address));  // NOLINT(performance-no-int-to-ptr)
}

// Chunks allocated and not yet freed, in the whole program.
std::int64_t LiveGpsChunks() noexcept;
