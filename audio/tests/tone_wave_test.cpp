#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "audio/tone_generator.h"
#include "test_support/wave_reader.h"

namespace {

using test_support::EstimateLoopPitch;
using test_support::Le16;
using test_support::Le32;
using test_support::RisingEdges;
using test_support::Samples;
using test_support::Tag;

struct ToneCase {
    std::uint32_t frequency;
    std::size_t samples;
    std::uint32_t riffSize;
    std::size_t cycles;  // whole cycles in one loop of the buffer
};

const ToneCase kTones[] = {
    {100, 480, 996, 1}, {500, 96, 228, 1},  {1000, 48, 132, 1},
    {2000, 48, 132, 2}, {5000, 48, 132, 5},
};

TEST(ToneWave, HeaderFieldsAndSizes) {
    CToneGenerator generator;
    for (const auto& t : kTones) {
        generator.BuildToneWave(t.frequency);
        const auto wave = generator.GetWave();
        SCOPED_TRACE(t.frequency);
        ASSERT_EQ(wave.size(), 44 + 2 * t.samples);
        EXPECT_EQ(Tag(wave, 0), "RIFF");
        EXPECT_EQ(Le32(wave, 4), t.riffSize);
        EXPECT_EQ(Tag(wave, 8), "WAVE");
        EXPECT_EQ(Tag(wave, 12), "fmt ");
        EXPECT_EQ(Le32(wave, 16), 16U);
        EXPECT_EQ(Le16(wave, 20), 1U);
        EXPECT_EQ(Le16(wave, 22), 1U);
        EXPECT_EQ(Le32(wave, 24), 48000U);
        EXPECT_EQ(Le32(wave, 28), 96000U);
        EXPECT_EQ(Le16(wave, 32), 2U);
        EXPECT_EQ(Le16(wave, 34), 16U);
        EXPECT_EQ(Tag(wave, 36), "data");
        EXPECT_EQ(Le32(wave, 40), 2 * t.samples);
    }
}

TEST(ToneWave, OneKilohertzSamples) {
    CToneGenerator generator;
    generator.BuildToneWave(1000);
    const std::vector<std::int16_t> s = Samples(generator.GetWave());
    ASSERT_EQ(s.size(), 48U);
    const std::int16_t rising[] = {0,     4020,  8242,  12463, 16282, 19700, 22916,
                                   25731, 28143, 30153, 31560, 32364, 32767};
    for (std::size_t k = 0; k <= 12; ++k) {
        EXPECT_EQ(s[k], rising[k]) << "sample " << k;
    }
    // Sample 24 is phase 512 exactly, so the second half mirrors the first.
    for (std::size_t k = 0; k < 24; ++k) {
        EXPECT_EQ(s[24 + k], -s[k]) << "sample " << 24 + k;
    }
    for (std::size_t k = 13; k < 24; ++k) {
        EXPECT_LT(s[k], s[k - 1]) << "falling at sample " << k;
        EXPECT_GT(s[k], 0) << "sample " << k;
    }
    EXPECT_EQ(s[24], 0);
    EXPECT_EQ(s[36], -32767);
}

TEST(ToneWave, WholeCyclesPerLoop) {
    CToneGenerator generator;
    for (const auto& t : kTones) {
        generator.BuildToneWave(t.frequency);
        std::vector<std::int16_t> s = Samples(generator.GetWave());
        // Counted over the loop seam too: the last sample leads into the first.
        s.insert(s.begin(), s.back());
        EXPECT_EQ(RisingEdges(s).size(), t.cycles) << t.frequency;
        EXPECT_EQ(*std::max_element(s.begin(), s.end()), 32767) << t.frequency;
        EXPECT_EQ(*std::min_element(s.begin(), s.end()), -32767) << t.frequency;
    }
}

TEST(ToneWave, LoopedPitchWithinOnePercent) {
    CToneGenerator generator;
    for (const auto& t : kTones) {
        generator.BuildToneWave(t.frequency);
        const double pitch = EstimateLoopPitch(Samples(generator.GetWave()), 48000.0, 2.0);
        EXPECT_NEAR(pitch, t.frequency, t.frequency * 0.01) << t.frequency;
    }
}

TEST(ToneWave, SilentChoices) {
    CToneGenerator generator;
    // A sweep first, so stale samples in the reused buffer would show.
    generator.BuildSweepWave();
    generator.BuildToneWave(0);
    const std::vector<std::int16_t> s = Samples(generator.GetWave());
    ASSERT_EQ(s.size(), 48U);
    EXPECT_TRUE(std::all_of(s.begin(), s.end(), [](std::int16_t v) { return v == 0; }));
    EXPECT_EQ(generator.GetWaveSize(), 140U);
}

TEST(ToneWave, UnlistedFrequenciesGive48SamplesWithoutOverflow) {
    // Frequencies the page never sends; the phase accumulator wraps rather
    // than overflowing, and the image keeps its 48-sample shape.
    CToneGenerator generator;
    for (std::uint32_t f : {1U, 101U, 24000U, 48000U, 3000000U, 0xFFFFFFFFU}) {
        generator.BuildToneWave(f);
        EXPECT_EQ(generator.GetWaveSize(), 140U) << f;
        EXPECT_EQ(Le32(generator.GetWave(), 40), 96U) << f;
    }
    generator.BuildToneWave(24000);  // phase advances by half a cycle: all zero crossings
    const std::vector<std::int16_t> s = Samples(generator.GetWave());
    EXPECT_TRUE(std::all_of(s.begin(), s.end(), [](std::int16_t v) { return v == 0; }));
}

}  // namespace
