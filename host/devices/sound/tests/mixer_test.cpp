#include "host/sound/mixer.h"

#include <gtest/gtest.h>

#include <vector>

#include "wave_test_support.h"

namespace host::sound {
namespace {

std::shared_ptr<const WaveClip> Clip(std::uint32_t rate, std::uint16_t channels,
                                     std::vector<std::int16_t> samples) {
    return std::make_shared<const WaveClip>(WaveClip{rate, channels, std::move(samples)});
}

std::vector<std::int16_t> Render(Mixer& mixer, std::size_t frames) {
    std::vector<std::int16_t> out(frames * 2, 12345);
    mixer.Render(out);
    return out;
}

TEST(MixerTest, LoopsAMonoClipOnBothChannelsAtTheirVolumes) {
    const auto cycle = testing_support::KiloHertzCycle();
    Mixer mixer(48000);
    mixer.SetVolume(0x4000FFFF);  // left full, right a quarter
    mixer.Play(Clip(48000, 1, cycle), true);
    // Rendered in odd pieces, so the loop point falls inside a buffer.
    std::vector<std::int16_t> out;
    for (const std::size_t piece : {7UL, 100UL, 1UL, 92UL}) {
        const auto part = Render(mixer, piece);
        out.insert(out.end(), part.begin(), part.end());
    }
    for (std::size_t i = 0; i < out.size() / 2; ++i) {
        const std::int32_t s = cycle[i % cycle.size()];
        ASSERT_EQ(out[2 * i], s) << i;
        ASSERT_EQ(out[2 * i + 1], s * 0x4000 / 0xFFFF) << i;
    }
    EXPECT_TRUE(mixer.Playing());
}

TEST(MixerTest, PlaysOnceThenSilenceAndStopsAtOnce) {
    Mixer mixer(48000);
    mixer.Play(Clip(48000, 2, {1, 2, 3, 4, 5, 6}), false);
    EXPECT_EQ(Render(mixer, 5), (std::vector<std::int16_t>{1, 2, 3, 4, 5, 6, 0, 0, 0, 0}));
    EXPECT_FALSE(mixer.Playing());

    mixer.Play(Clip(48000, 1, {9, 9, 9}), true);
    EXPECT_EQ(Render(mixer, 1), (std::vector<std::int16_t>{9, 9}));
    mixer.Stop();
    EXPECT_EQ(Render(mixer, 2), (std::vector<std::int16_t>(4, 0)));

    mixer.Play(Clip(48000, 1, {}), true);  // nothing to loop over
    EXPECT_FALSE(mixer.Playing());
    EXPECT_EQ(Render(mixer, 2), (std::vector<std::int16_t>(4, 0)));
}

TEST(MixerTest, ANewClipStartsFromItsBeginning) {
    Mixer mixer(48000);
    mixer.Play(Clip(48000, 1, {1, 2, 3, 4}), true);
    Render(mixer, 3);
    mixer.Play(Clip(48000, 1, {7, 8}), true);
    EXPECT_EQ(Render(mixer, 3), (std::vector<std::int16_t>{7, 7, 8, 8, 7, 7}));
}

TEST(MixerTest, ResamplesLinearlyFromOtherRates) {
    Mixer mixer(48000);
    mixer.Play(Clip(24000, 1, {0, 1000, 2000, 3000}), true);
    const auto out = Render(mixer, 9);
    const std::int16_t left[] = {0, 500, 1000, 1500, 2000, 2500, 3000, 1500, 0};
    for (std::size_t i = 0; i < 9; ++i) {
        EXPECT_EQ(out[2 * i], left[i]) << i;  // the loop interpolates back to the start
    }
    // Down: 96000 -> 48000 takes every other frame.
    mixer.Play(Clip(96000, 1, {10, 11, 12, 13, 14, 15}), false);
    EXPECT_EQ(Render(mixer, 4), (std::vector<std::int16_t>{10, 10, 12, 12, 14, 14, 0, 0}));
}

TEST(MixerTest, VolumeScalesEachChannelToSilence) {
    Mixer mixer(48000);
    mixer.Play(Clip(48000, 2, {32767, -32768}), true);
    struct Case {
        std::uint32_t volume;
        std::int16_t left, right;
    };
    const Case cases[] = {{0xFFFFFFFF, 32767, -32768},
                          {0, 0, 0},
                          {0x0000FFFF, 32767, 0},
                          {0xFFFF0000, 0, -32768},
                          {0x80008000, 16383, -16384}};
    for (const auto& c : cases) {
        mixer.SetVolume(c.volume);
        EXPECT_EQ(Render(mixer, 1), (std::vector<std::int16_t>{c.left, c.right})) << c.volume;
    }
}

}  // namespace
}  // namespace host::sound
