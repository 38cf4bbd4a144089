#include "gpsinfo/gps_chunk.h"

#include <atomic>
#include <cstdlib>

namespace {

std::atomic<std::int64_t> g_liveChunks{0};

}  // namespace

void GpsChunkFree::operator()(std::uint8_t* chunk) const noexcept {
    if (chunk != nullptr) {
        std::free(chunk);  // NOLINT(cppcoreguidelines-no-malloc,cppcoreguidelines-owning-memory)
        g_liveChunks.fetch_sub(1, std::memory_order_relaxed);
    }
}

GpsChunk AllocateGpsChunk(std::size_t bytes) noexcept {
    // The program's ordinary heap, as a driver chunk of any size may ask for
    // more than there is: failure is a null chunk, not an exception.
    // NOLINTNEXTLINE(cppcoreguidelines-no-malloc,cppcoreguidelines-owning-memory)
    void* memory = std::calloc(bytes == 0 ? 1 : bytes, 1);
    if (memory == nullptr) {
        return {};
    }
    g_liveChunks.fetch_add(1, std::memory_order_relaxed);
    return GpsChunk(static_cast<std::uint8_t*>(memory));
}

std::int64_t LiveGpsChunks() noexcept {
    return g_liveChunks.load(std::memory_order_relaxed);
}
