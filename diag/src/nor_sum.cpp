#include "diag/nor_sum.h"

#include <bit>
#include <cstring>

namespace {

std::uint16_t SumBytewise(const std::uint8_t* p, std::size_t words) {
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i < words; ++i) {
        sum = static_cast<std::uint16_t>(sum + (p[2 * i] | (p[2 * i + 1] << 8)));
    }
    return sum;
}

}  // namespace

std::uint16_t SumLittleEndianWords(const void* data, std::size_t words) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    if constexpr (std::endian::native != std::endian::little) {
        return SumBytewise(p, words);
    }
    // Four words per 64-bit load, split into two accumulators with a 32-bit
    // slot per word lane. A slot takes 65536 words of at most 0xFFFF before
    // it could carry into its neighbour; only its low 16 bits matter, so
    // each block ends by masking the rest away.
    constexpr std::uint64_t kLanes = 0x0000FFFF0000FFFFULL;
    constexpr std::size_t kBlock = 65536;
    std::uint64_t even = 0;
    std::uint64_t odd = 0;
    std::size_t quads = words / 4;
    while (quads > 0) {
        const std::size_t n = quads < kBlock ? quads : kBlock;
        for (std::size_t i = 0; i < n; ++i) {
            std::uint64_t v = 0;
            std::memcpy(&v, p + 8 * i, sizeof v);
            even += v & kLanes;
            odd += (v >> 16) & kLanes;
        }
        even &= kLanes;
        odd &= kLanes;
        p += 8 * n;
        quads -= n;
    }
    const auto lanes = even + odd;  // each slot below 2^17: no carry across
    auto sum = static_cast<std::uint16_t>(lanes + (lanes >> 32));
    sum = static_cast<std::uint16_t>(sum + SumBytewise(p, words % 4));
    return sum;
}
