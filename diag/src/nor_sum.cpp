#include "diag/nor_sum.h"

#include <array>
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

// Words per round: independent 16-bit lanes the compiler keeps in vector
// registers. Wrapping addition is exact per lane, so the lanes need no
// carries, masks or blocks; they are added up once at the end.
constexpr std::size_t kLanes = 32;

}  // namespace

std::uint16_t SumLittleEndianWords(const void* data, std::size_t words) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    if constexpr (std::endian::native != std::endian::little) {
        return SumBytewise(p, words);
    }
    std::array<std::uint16_t, kLanes> lanes{};
    const std::size_t rounds = words / kLanes;
    for (std::size_t r = 0; r < rounds; ++r) {
        const std::uint8_t* round = p + r * kLanes * 2;
        for (std::size_t i = 0; i < kLanes; ++i) {
            std::uint16_t w = 0;
            std::memcpy(&w, round + 2 * i, sizeof w);
            lanes[i] = static_cast<std::uint16_t>(lanes[i] + w);
        }
    }
    std::uint16_t sum = SumBytewise(p + rounds * kLanes * 2, words % kLanes);
    for (const std::uint16_t lane : lanes) {
        sum = static_cast<std::uint16_t>(sum + lane);
    }
    return sum;
}
