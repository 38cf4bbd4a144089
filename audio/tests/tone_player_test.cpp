// PLAY and STOP on a virtual unit: what the player is handed, in which
// order, and what is heard through the recorded output.
#include "audio/tone_player.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "audio/wave_volume.h"
#include "host/sound/wave_clip.h"
#include "test_support/audio_unit_fixture.h"
#include "test_support/wave_reader.h"

namespace audio_test {
namespace {

using test_support::AudioUnitTest;
using test_support::EstimateLoopPitch;
using test_support::Samples;
using test_support::SoundSpy;

using Kind = SoundSpy::Call::Kind;

constexpr std::int16_t kPeakAt0x9999 = 32767 * 0x9999 / 0xFFFF;

ToneChoice ChoiceOf(int controlId) {
    for (const auto& c : kToneChoices) {
        if (c.controlId == controlId) {
            return c;
        }
    }
    return kNoToneChoice;
}

class TonePlayerTest : public AudioUnitTest {
  protected:
    void SetUp() override { Load("[sound]\ncard = false\n"); }
    void TearDown() override {
        static_cast<void>(std::remove(path_.c_str()));
        AudioUnitTest::TearDown();
    }

    // The left channel of `seconds` of what the unit plays, from a WAV file.
    std::vector<std::int16_t> Heard(double seconds) {
        const platform::Result<void> written = output_->Recorder().WriteWav(path_, seconds);
        EXPECT_TRUE(written.ok()) << written.error();
        std::ifstream file(path_, std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file),
                                              std::istreambuf_iterator<char>()};
        const auto clip = host::sound::ParseWaveImage(bytes);
        EXPECT_TRUE(clip) << clip.error();
        std::vector<std::int16_t> left;
        if (clip) {
            for (std::size_t i = 0; i < clip->samples.size(); i += clip->channels) {
                left.push_back(clip->samples[i]);
            }
        }
        return left;
    }

    static double Pitch(const std::vector<std::int16_t>& s, std::size_t from, std::size_t to) {
        const std::vector<std::int16_t> part(s.begin() + static_cast<std::ptrdiff_t>(from),
                                             s.begin() + static_cast<std::ptrdiff_t>(to));
        return EstimateLoopPitch(part, 48000.0, static_cast<double>(part.size()) / 48000.0);
    }

    CToneGenerator generator_;
    std::string path_ =
        ::testing::TempDir() + "kestrin_tone_" + std::to_string(::getpid()) + ".wav";
};

TEST_F(TonePlayerTest, EachToneIsHeardLoopedAtItsPitchAndVolume) {
    struct Case {
        int controlId;
        double pitch;  // 0: silence
    };
    const Case cases[] = {{1037, 100},  {1038, 500}, {1039, 1000}, {1040, 2000},
                          {1041, 5000}, {1042, 0},   {0, 0}};
    ASSERT_EQ(ApplyWaveVolume(0x9999), platform::TRUE);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.controlId);
        ASSERT_EQ(PlayToneChoice(generator_, ChoiceOf(c.controlId)), platform::TRUE);
        const auto now = output_->Recorder().Current();
        EXPECT_TRUE(now.playing);
        EXPECT_TRUE(now.looping);
        EXPECT_EQ(now.sampleRate, 48000U);
        EXPECT_EQ(now.channels, 1);
        EXPECT_EQ(now.samples, Samples(generator_.GetWave()));

        const std::vector<std::int16_t> heard = Heard(1.0);
        ASSERT_EQ(heard.size(), 48000U);
        const auto [low, high] = std::minmax_element(heard.begin(), heard.end());
        if (c.pitch == 0) {
            EXPECT_EQ(*low, 0);
            EXPECT_EQ(*high, 0);
        } else {
            EXPECT_NEAR(Pitch(heard, 0, heard.size()), c.pitch, c.pitch * 0.01);
            EXPECT_EQ(*high, kPeakAt0x9999);
            EXPECT_EQ(*low, -kPeakAt0x9999);
        }
    }
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(TonePlayerTest, TheSweepRisesFrom80HzAndStartsAgainAfterSixSeconds) {
    ASSERT_EQ(PlayToneChoice(generator_, ChoiceOf(1043)), platform::TRUE);
    const std::vector<std::int16_t> heard = Heard(6.5);
    constexpr std::size_t kTenth = 4800;
    constexpr std::size_t kSixSeconds = 60 * kTenth;
    // The first whole cycle is 600 samples.
    EXPECT_NEAR(Pitch(heard, 0, 1250), 80.0, 0.8);
    // The last tenth lies between 4777 Hz and the 9-sample period's 5333 Hz.
    const double last = Pitch(heard, 59 * kTenth, 60 * kTenth);
    EXPECT_GT(last, 4777.0);
    EXPECT_LT(last, 5334.0);
    EXPECT_NEAR(Pitch(heard, kSixSeconds, kSixSeconds + 1250), 80.0, 0.8);
    double previous = 0;
    for (std::size_t s = 0; s < 60; s += 6) {
        const double pitch = Pitch(heard, s * kTenth, (s + 1) * kTenth);
        EXPECT_GT(pitch, previous) << "tenth " << s;
        previous = pitch;
    }
}

// The player reads the buffer while it plays: each PLAY stops the sound
// before the buffer changes, then hands over the new wave looped.
TEST_F(TonePlayerTest, StopsWhatPlaysBeforeRebuildingTheBuffer) {
    spy_->Watch(generator_.GetWaveBuffer());
    struct Case {
        int controlId;
        std::uint32_t dataBefore;
        std::uint32_t dataAfter;
    };
    const Case cases[] = {{1039, 0, 96}, {1043, 96, 576000}, {1037, 576000, 960}, {0, 960, 96}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.controlId);
        spy_->calls.clear();
        ASSERT_EQ(PlayToneChoice(generator_, ChoiceOf(c.controlId)), platform::TRUE);
        ASSERT_EQ(spy_->calls.size(), 2U);
        const auto& stop = spy_->calls[0];
        EXPECT_EQ(stop.kind, Kind::Play);
        EXPECT_EQ(stop.image, nullptr);
        EXPECT_EQ(stop.flags, 0x01U);
        EXPECT_EQ(stop.watchedDataSize, c.dataBefore);
        const auto& play = spy_->calls[1];
        EXPECT_EQ(play.kind, Kind::Play);
        EXPECT_EQ(play.image, generator_.GetWaveBuffer());
        EXPECT_EQ(play.flags, 0x0DU);
        EXPECT_EQ(play.watchedDataSize, c.dataAfter);
    }
}

TEST_F(TonePlayerTest, ARefusedSoundIsReportedAndNothingPlays) {
    ASSERT_EQ(PlayToneChoice(generator_, ChoiceOf(1039)), platform::TRUE);
    ASSERT_EQ(Unit().Set("sound.fail.playsound", "1"), std::nullopt);
    EXPECT_EQ(PlayToneChoice(generator_, ChoiceOf(1041)), platform::FALSE);
    ASSERT_EQ(boxes_.size(), 1U);
    EXPECT_EQ(boxes_[0].text, "PlaySound() failed.");
    EXPECT_EQ(boxes_[0].caption, "Kestrin");
    EXPECT_EQ(boxes_[0].type, ui::MB_OK | ui::MB_ICONINFORMATION);
    EXPECT_FALSE(output_->Recorder().Current().playing);

    ASSERT_EQ(Unit().Set("sound.fail.playsound", "0"), std::nullopt);
    EXPECT_EQ(PlayToneChoice(generator_, ChoiceOf(1041)), platform::TRUE);
    EXPECT_EQ(boxes_.size(), 1U);
    EXPECT_TRUE(output_->Recorder().Current().playing);
}

}  // namespace
}  // namespace audio_test
