#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "audio/sweep_table.h"
#include "audio/tone_generator.h"
#include "test_support/wave_reader.h"

namespace {

using test_support::Le32;
using test_support::RisingEdges;
using test_support::Samples;
using test_support::Tag;

TEST(SweepFrequencyTable, TenthOfAnOctavePerEntryFrom80Hz) {
    ASSERT_EQ(SweepFrequencyTable.size(), 61U);
    for (std::size_t k = 0; k < 60; ++k) {
        const long double exact = 81920.0L * std::pow(2.0L, static_cast<long double>(k) / 10.0L);
        EXPECT_EQ(SweepFrequencyTable[k], static_cast<std::int32_t>(std::floor(exact))) << k;
    }
    EXPECT_EQ(SweepFrequencyTable[60], 5120 * 1024 - 1);
}

class SweepWave : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        generator_ = std::make_unique<CToneGenerator>();
        generator_->BuildSweepWave();
        samples_ = Samples(generator_->GetWave());
        edges_ = RisingEdges(samples_);
    }
    static void TearDownTestSuite() { generator_.reset(); }

    static std::unique_ptr<CToneGenerator> generator_;
    static std::vector<std::int16_t> samples_;
    static std::vector<std::size_t> edges_;
};

std::unique_ptr<CToneGenerator> SweepWave::generator_;
std::vector<std::int16_t> SweepWave::samples_;
std::vector<std::size_t> SweepWave::edges_;

TEST_F(SweepWave, FillsTheWholeBuffer) {
    const auto wave = generator_->GetWave();
    EXPECT_EQ(wave.size(), 576044U);
    EXPECT_EQ(Tag(wave, 0), "RIFF");
    EXPECT_EQ(Le32(wave, 4), 576036U);
    EXPECT_EQ(Le32(wave, 40), 576000U);
    EXPECT_EQ(samples_.size(), 288000U);
}

TEST_F(SweepWave, StartsAt600SamplesPerCycle) {
    // The counter is bumped before the first sample, so the first cycle ends
    // one sample early; the second is a full 600.
    ASSERT_GE(edges_.size(), 2U);
    EXPECT_EQ(edges_[0], 599U);
    EXPECT_EQ(edges_[1] - edges_[0], 600U);
    EXPECT_EQ(samples_[0], 0);
    EXPECT_GT(samples_[150], 32000);
}

TEST_F(SweepWave, EndsAt9SamplesPerCycle) {
    ASSERT_GE(edges_.size(), 3U);
    const std::size_t n = edges_.size();
    EXPECT_EQ(edges_[n - 1] - edges_[n - 2], 9U);
    EXPECT_EQ(edges_[n - 2] - edges_[n - 3], 9U);
}

TEST_F(SweepWave, EachCycleLengthIsChosenAtTheEndOfTheCycleBefore) {
    // At the sample where a cycle ends (j), the next period is taken from the
    // table, interpolated linearly inside the 0.1 s segment holding j, in
    // whole hertz and then whole samples.
    ASSERT_GT(edges_.size(), 1000U);
    for (std::size_t e = 0; e + 1 < edges_.size(); ++e) {
        const std::size_t j = edges_[e];
        const std::size_t t = j / 4800 + 1;
        const auto r = static_cast<std::int64_t>(j % 4800);
        const std::int64_t low = SweepFrequencyTable[t - 1];
        const std::int64_t high = SweepFrequencyTable[t];
        const std::int64_t hertz = (low + (high - low) * r / 4800) / 1024;
        ASSERT_EQ(static_cast<std::int64_t>(edges_[e + 1] - j), 48000 / hertz)
            << "cycle starting at sample " << j;
    }
}

TEST_F(SweepWave, PitchRisesSegmentBySegment) {
    // Mean cycle length of the cycles that start in each 0.1 s segment.
    constexpr std::size_t kSegment = 4800;
    std::vector<double> frequency(60, 0.0);
    for (std::size_t s = 0; s < 60; ++s) {
        std::size_t first = 0;
        std::size_t last = 0;
        std::size_t cycles = 0;
        for (std::size_t e = 0; e + 1 < edges_.size(); ++e) {
            if (edges_[e] >= s * kSegment && edges_[e] < (s + 1) * kSegment) {
                if (cycles == 0) {
                    first = edges_[e];
                }
                last = edges_[e + 1];
                ++cycles;
            }
        }
        ASSERT_GT(cycles, 0U) << "segment " << s;
        frequency[s] = 48000.0 * static_cast<double>(cycles) / static_cast<double>(last - first);
        // Within its tenth of an octave, allowing one sample of period rounding.
        const double low = SweepFrequencyTable[s] / 1024.0;
        const double high = SweepFrequencyTable[s + 1] / 1024.0;
        const double longestPeriod = 48000.0 / low;
        EXPECT_GE(frequency[s], low * 0.99) << "segment " << s;
        EXPECT_LE(frequency[s], high * longestPeriod / (longestPeriod - 1.0) * 1.01)
            << "segment " << s;
        if (s > 0) {
            EXPECT_GT(frequency[s], frequency[s - 1]) << "segment " << s;
        }
    }
}

TEST_F(SweepWave, EveryCycleIsAWholeSineFromZero) {
    // Each cycle begins at phase 0 (sample 0) and reaches both peaks.
    for (std::size_t e = 0; e + 1 < edges_.size(); ++e) {
        ASSERT_EQ(samples_[edges_[e]], 0) << "cycle at " << edges_[e];
        std::int16_t high = 0;
        std::int16_t low = 0;
        for (std::size_t k = edges_[e]; k < edges_[e + 1]; ++k) {
            high = std::max(high, samples_[k]);
            low = std::min(low, samples_[k]);
        }
        ASSERT_GT(high, 26000) << "cycle at " << edges_[e];
        ASSERT_LT(low, -26000) << "cycle at " << edges_[e];
    }
}

}  // namespace
