#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "audio/tone_choice.h"
#include "audio/tone_generator.h"
#include "audio/volume_map.h"

namespace {

TEST(VolumeMap, SliderTableBothWays) {
    const std::uint16_t volumes[] = {65535, 58977, 52424, 45871, 39318, 32765,
                                     26212, 19659, 13106, 6553,  0};
    for (int p = 0; p <= 10; ++p) {
        const std::uint16_t v = volumes[p];
        EXPECT_EQ(SliderPositionToVolume(p), v) << "position " << p;
        EXPECT_EQ(VolumeToSliderPosition(v), p) << "volume " << v;
    }
}

TEST(VolumeMap, ReadBackPositions) {
    struct Case {
        std::uint16_t volume;
        int position;
    };
    const Case cases[] = {
        {0xFFFF, 0}, {0xFFFE, 0}, {0x9999, 4}, {39318, 4}, {39317, 5},
        {6553, 9},   {6552, 10},  {1, 10},     {0, 10},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VolumeToSliderPosition(c.volume), c.position) << c.volume;
    }
}

TEST(VolumeMap, ReadBackStaysOnTheSliderAndFallsWithVolume) {
    int previous = VolumeToSliderPosition(0);
    for (std::uint32_t v = 0; v <= 0xFFFF; ++v) {
        const int p = VolumeToSliderPosition(static_cast<std::uint16_t>(v));
        ASSERT_GE(p, 0) << v;
        ASSERT_LE(p, 10) << v;
        ASSERT_LE(p, previous) << v;
        previous = p;
    }
}

TEST(VolumeMap, PositionsOffTheSliderTakeTheNearestEnd) {
    EXPECT_EQ(SliderPositionToVolume(-1), 0xFFFF);
    EXPECT_EQ(SliderPositionToVolume(-100000), 0xFFFF);
    EXPECT_EQ(SliderPositionToVolume(11), 0);
    EXPECT_EQ(SliderPositionToVolume(1 << 30), 0);
}

TEST(VolumeMap, StartVolumeShowsAtItsPosition) {
    EXPECT_EQ(VolumeToSliderPosition(kStartVolume), kStartSliderPosition);
    // Moving the slider back to that position does not restore 0x9999.
    EXPECT_EQ(SliderPositionToVolume(kStartSliderPosition), 39318);
}

TEST(VolumeMap, ChannelWords) {
    EXPECT_EQ(BothChannels(SliderPositionToVolume(0)), 0xFFFFFFFFU);
    EXPECT_EQ(BothChannels(SliderPositionToVolume(10)), 0U);
    EXPECT_EQ(BothChannels(0x9999), 0x99999999U);
    EXPECT_EQ(LeftChannel(0x12345678U), 0x5678U);
}

TEST(ToneChoice, LastCheckedRadioWins) {
    struct Case {
        std::array<bool, 7> checked;
        int controlId;
        WaveKind kind;
        std::uint32_t frequency;
        std::size_t waveSize;
    };
    const Case cases[] = {
        {{}, 0, WaveKind::Tone, 0, 140},
        {{true, false, false, false, false, false, false}, 1037, WaveKind::Tone, 100, 1004},
        {{false, true, false, false, false, false, false}, 1038, WaveKind::Tone, 500, 236},
        {{false, false, true, false, false, false, false}, 1039, WaveKind::Tone, 1000, 140},
        {{false, false, false, true, false, false, false}, 1040, WaveKind::Tone, 2000, 140},
        {{false, false, false, false, true, false, false}, 1041, WaveKind::Tone, 5000, 140},
        {{false, false, false, false, false, true, false}, 1042, WaveKind::Tone, 0, 140},
        {{false, false, false, false, false, false, true}, 1043, WaveKind::Sweep, 0, 576044},
        {{true, false, false, false, false, false, true}, 1043, WaveKind::Sweep, 0, 576044},
        {{true, true, false, false, false, false, false}, 1038, WaveKind::Tone, 500, 236},
        {{false, false, false, false, true, true, false}, 1042, WaveKind::Tone, 0, 140},
    };
    CToneGenerator generator;
    for (const auto& c : cases) {
        const ToneChoice choice = LastCheckedChoice(c.checked);
        EXPECT_EQ(choice.controlId, c.controlId);
        EXPECT_EQ(choice.kind, c.kind) << c.controlId;
        EXPECT_EQ(choice.frequency, c.frequency) << c.controlId;
        BuildChoiceWave(generator, choice);
        EXPECT_EQ(generator.GetWaveSize(), c.waveSize) << c.controlId;
    }
}

}  // namespace
