// The wave output volume as the page applies and reads it on a virtual unit.
#include "audio/wave_volume.h"

#include "audio_unit_fixture.h"

namespace audio_test {
namespace {

class WaveVolumeTest : public AudioUnitTest {
  protected:
    void SetUp() override { Load("[sound]\nvolume = 0x11112222\n"); }
};

TEST_F(WaveVolumeTest, OneVolumeGoesToBothChannelsOfTheWaveMapper) {
    const std::uint16_t volumes[] = {0, 6553, 39318, 0x9999, 0xFFFF};
    for (const std::uint16_t v : volumes) {
        SCOPED_TRACE(v);
        spy_->calls.clear();
        EXPECT_EQ(ApplyWaveVolume(v), platform::TRUE);
        ASSERT_EQ(spy_->calls.size(), 1U);
        EXPECT_EQ(spy_->calls[0].flags, platform::WAVE_MAPPER);  // the device
        EXPECT_EQ(output_->Volume(), (std::uint32_t{v} << 16) | v);
        EXPECT_EQ(output_->Recorder().Current().volume, (std::uint32_t{v} << 16) | v);
    }
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(WaveVolumeTest, ReadBackTakesTheLeftChannel) {
    struct Case {
        const char* unitVolume;
        std::uint16_t left;
    };
    const Case cases[] = {
        {"0x12345678", 0x5678}, {"0x0000FFFF", 0xFFFF}, {"0xFFFF0000", 0},
        {"0x99999999", 0x9999}, {"0x00001998", 6552},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(Unit().Set("sound.volume", c.unitVolume), std::nullopt);
        EXPECT_EQ(ReadWaveVolume(), std::optional<std::uint16_t>(c.left)) << c.unitVolume;
    }
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(WaveVolumeTest, FailuresShowTheResultCodeAndChangeNothing) {
    struct Case {
        const char* fault;
        const char* code;
        const char* text;
    };
    const Case cases[] = {
        {"sound.fail.waveoutsetvolume", "1", "waveOutSetVolume(WAVE_MAPPER) returned 1."},
        {"sound.fail.waveoutsetvolume", "11", "waveOutSetVolume(WAVE_MAPPER) returned 11."},
        {"sound.fail.waveoutgetvolume", "8", "waveOutGetVolume(WAVE_MAPPER) returned 8."},
        {"sound.fail.waveoutgetvolume", "2", "waveOutGetVolume(WAVE_MAPPER) returned 2."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        boxes_.clear();
        ASSERT_EQ(Unit().Set(c.fault, c.code), std::nullopt);
        if (std::string(c.fault).ends_with("setvolume")) {
            EXPECT_EQ(ApplyWaveVolume(0x4444), platform::FALSE);
        } else {
            EXPECT_EQ(ReadWaveVolume(), std::nullopt);
        }
        ASSERT_EQ(Unit().Set(c.fault, "0"), std::nullopt);
        ASSERT_EQ(boxes_.size(), 1U);
        EXPECT_EQ(boxes_[0].text, c.text);
        EXPECT_EQ(boxes_[0].type, ui::MB_OK | ui::MB_ICONQUESTION);
        EXPECT_EQ(output_->Volume(), 0x11112222U);
    }
}

}  // namespace
}  // namespace audio_test
