#include "replay_plan.h"

#include <algorithm>
#include <utility>

namespace host::gps1 {

std::uint32_t ChunkSizer::Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
}

std::vector<std::size_t> ChunkSizer::Split(std::size_t total, std::size_t minSize,
                                           std::size_t maxSize) {
    if (minSize > maxSize) {
        std::swap(minSize, maxSize);
    }
    minSize = std::max<std::size_t>(minSize, 1);
    maxSize = std::max(maxSize, minSize);
    std::vector<std::size_t> sizes;
    while (total > 0) {
        const std::size_t span = maxSize - minSize + 1;
        const std::size_t size = std::min(total, minSize + Next() % span);
        sizes.push_back(size);
        total -= size;
    }
    return sizes;
}

std::vector<std::uint64_t> ArrivalOffsets(const std::vector<std::size_t>& sizes, std::uint32_t baud,
                                          std::uint64_t periodMs) {
    constexpr std::uint64_t kBitsPerByte = 10;
    const std::uint64_t rate = std::max<std::uint32_t>(baud, 1);
    std::vector<std::uint64_t> offsets;
    offsets.reserve(sizes.size());
    std::uint64_t bytes = 0;
    for (std::size_t size : sizes) {
        bytes += size;
        offsets.push_back(bytes * kBitsPerByte * 1000 / rate);
    }
    const std::uint64_t budget = periodMs * 9 / 10;
    if (!offsets.empty() && offsets.back() > budget) {
        const std::uint64_t last = offsets.back();
        for (std::uint64_t& offset : offsets) {
            offset = offset * budget / last;
        }
    }
    return offsets;
}

}  // namespace host::gps1
