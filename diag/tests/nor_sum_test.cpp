// The NOR sum against a plain word-by-word reference, over the lengths and
// alignments where a lane or block split could go wrong.
#include <cstdint>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "diag/nor_sum.h"

namespace {

std::uint16_t Reference(const std::uint8_t* p, std::size_t words) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < words; ++i) {
        sum += static_cast<std::uint32_t>(p[2 * i] | (p[2 * i + 1] << 8));
    }
    return static_cast<std::uint16_t>(sum);
}

TEST(NorSum, MatchesWordByWordSumForEveryLengthAndAlignment) {
    std::mt19937 random(7);
    // Past two blocks of 65536 quads, so the masking between blocks counts.
    std::vector<std::uint8_t> bytes(2 * 8 * 65536 + 64 + 3);
    for (auto& b : bytes) {
        b = static_cast<std::uint8_t>(random());
    }
    for (std::size_t offset : {0U, 1U, 3U}) {
        for (std::size_t words :
             {std::size_t{0}, std::size_t{1}, std::size_t{3}, std::size_t{4}, std::size_t{5},
              std::size_t{4} * 65536, std::size_t{4} * 65536 + 7, std::size_t{8} * 65536 + 29}) {
            SCOPED_TRACE(testing::Message() << "offset " << offset << ", words " << words);
            EXPECT_EQ(SumLittleEndianWords(bytes.data() + offset, words),
                      Reference(bytes.data() + offset, words));
        }
    }
}

TEST(NorSum, WrapsModulo65536) {
    // 0xFFFF in every word of a full block and more: each 32-bit lane is at
    // its limit before the mask.
    const std::vector<std::uint8_t> ones(std::size_t{2} * (4 * 65536 + 4), 0xFF);
    const std::size_t words = ones.size() / 2;
    EXPECT_EQ(SumLittleEndianWords(ones.data(), words),
              static_cast<std::uint16_t>(words * 0xFFFFU));

    // Two words 0x8000 make exactly 65536.
    const std::uint8_t halves[] = {0x00, 0x80, 0x00, 0x80};
    EXPECT_EQ(SumLittleEndianWords(halves, 2), 0);
}

TEST(NorSum, WordsAreLittleEndian) {
    const std::uint8_t bytes[] = {0x34, 0x12, 0x01, 0x00};
    EXPECT_EQ(SumLittleEndianWords(bytes, 2), 0x1235);
}

}  // namespace
