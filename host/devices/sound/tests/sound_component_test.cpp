// The unit's sound: its [sound] table, faults in the unit's style, the
// volume as unit state, and the run's sound written on the unit's clock.
#include "host/sound/sound_component.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "host/unit/clock.h"
#include "host/unit/test_unit.h"
#include "platform/last_error.h"
#include "wave_test_support.h"

namespace host::sound {
namespace {

using namespace testing_support;
using platform::DWORD;

constexpr DWORD kLoop = platform::SND_ASYNC | platform::SND_MEMORY | platform::SND_LOOP;

class SoundComponentTest : public ::testing::Test {
  protected:
    WaveOutput* Load(const std::string& toml) {
        unit_.Toml(toml).Options({.virtualTime = true, .startMs = 1000});
        if (!unit_.Load()) {
            ADD_FAILURE() << unit_.error();
            return nullptr;
        }
        return UnitWaveOutput(unit_.unit());
    }

    unit::TestUnit unit_{{SoundComponentKind()}};
    const std::vector<std::uint8_t> tone_ = BuildWaveImage(48000, 1, KiloHertzCycle());
};

TEST_F(SoundComponentTest, TheTableSetsTheOutput) {
    WaveOutput* output = Load(
        "[sound]\ncard = false\nvolume = 0x12345678\n"
        "[sound.fail]\nplaysound = 5\nwaveoutgetvolume = 8\n");
    ASSERT_NE(output, nullptr);
    EXPECT_FALSE(output->Audible());
    EXPECT_EQ(output->Volume(), 0x12345678U);

    platform::SetLastError(0);
    EXPECT_EQ(output->PlaySound(tone_.data(), kLoop), platform::FALSE);
    EXPECT_EQ(platform::GetLastError(), 5U);
    EXPECT_FALSE(output->Recorder().Current().playing);
    DWORD volume = 0;
    EXPECT_EQ(output->waveOutGetVolume(platform::WAVE_MAPPER, &volume), 8U);
    EXPECT_EQ(output->waveOutSetVolume(platform::WAVE_MAPPER, 0x00010001U), 0U);

    // Changed while the unit runs, as a script's "unit" line does.
    unit::VirtualUnit& u = unit_.unit();
    EXPECT_EQ(u.Set("sound.fail.playsound", "0"), std::nullopt);
    EXPECT_EQ(u.Set("sound.fail.waveoutgetvolume", "0"), std::nullopt);
    EXPECT_EQ(u.Set("sound.fail.waveoutsetvolume", "11"), std::nullopt);
    EXPECT_EQ(output->PlaySound(tone_.data(), kLoop), platform::TRUE);
    EXPECT_EQ(output->waveOutSetVolume(platform::WAVE_MAPPER, 0x99999999U), 11U);
    ASSERT_EQ(output->waveOutGetVolume(platform::WAVE_MAPPER, &volume), 0U);
    EXPECT_EQ(volume, 0x00010001U);
    EXPECT_EQ(u.Set("sound.volume", "0xFFFF0000"), std::nullopt);
    EXPECT_EQ(output->Volume(), 0xFFFF0000U);
    EXPECT_EQ(output->Recorder().Current().volume, 0xFFFF0000U);
}

TEST_F(SoundComponentTest, WithoutATableTheOutputWorksAtFullVolume) {
    WaveOutput* output = Load("");
    ASSERT_NE(output, nullptr);
    DWORD volume = 0;
    ASSERT_EQ(output->waveOutGetVolume(platform::WAVE_MAPPER, &volume), 0U);
    EXPECT_EQ(volume, 0xFFFFFFFFU);
    EXPECT_EQ(output->PlaySound(tone_.data(), kLoop), platform::TRUE);
    EXPECT_FALSE(output->Audible());  // only the program asks for the card
}

TEST_F(SoundComponentTest, ARefusedCardLeavesTheOutputRecording) {
    Load("[sound]\ncard = false\n");
    const platform::Result<void> card = StartSoundCard(unit_.unit());
    ASSERT_FALSE(card);
    EXPECT_EQ(card.error(), "sound.card is false");
    const auto refused = unit_.unit().Set("sound.card", "true");  // load only
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ(refused->key, "sound.card");
}

TEST(SoundComponentConfigTest, BadValuesNameTheirKey) {
    struct Case {
        const char* toml;
        const char* key;
    };
    const Case cases[] = {
        {"[sound]\nvolume = -1\n", "sound.volume"},
        {"[sound]\nvolume = 0x100000000\n", "sound.volume"},
        {"[sound]\ncard = 1\n", "sound.card"},
        {"[sound]\nspeaker = true\n", "sound.speaker"},
        {"[sound.fail]\nbeep = 1\n", "sound.fail"},
        {"[sound.fail]\n\"playsound:1\" = 1\n", "sound.fail"},
    };
    for (const auto& c : cases) {
        unit::TestUnit t({SoundComponentKind()});
        t.Toml(c.toml);
        EXPECT_FALSE(t.Load()) << c.toml;
        EXPECT_NE(t.error().find(c.key), std::string::npos) << c.toml << " gave " << t.error();
    }
}

TEST_F(SoundComponentTest, TheRunsSoundIsWrittenOnTheUnitsClock) {
    WaveOutput* output = Load("[sound]\nvolume = 0xFFFFFFFF\n");
    ASSERT_NE(output, nullptr);
    unit::VirtualClock* clock = unit_.unit().Virtual();
    ASSERT_NE(clock, nullptr);
    ASSERT_EQ(output->PlaySound(tone_.data(), kLoop), platform::TRUE);
    clock->Advance(1250);
    output->waveOutSetVolume(platform::WAVE_MAPPER, 0);
    clock->Advance(1500);
    output->PlaySound(nullptr, platform::SND_ASYNC);
    clock->Advance(4000);

    const std::string path =
        ::testing::TempDir() + "kestrin_audio_out_" + std::to_string(::getpid()) + ".wav";
    const platform::Result<void> written = WriteAudioOut(unit_.unit(), path);
    ASSERT_TRUE(written.ok()) << written.error();
    const auto clip = ParseWaveImage(ReadFile(path));
    static_cast<void>(std::remove(path.c_str()));
    ASSERT_TRUE(clip) << clip.error();
    ASSERT_EQ(clip->Frames(), 500U * 48U);
    const std::size_t quiet = std::size_t{250} * 48;
    EXPECT_EQ(clip->samples[std::size_t{2} * 12], 32767);
    EXPECT_EQ(clip->samples[2 * (quiet - 12)], -32767);
    for (std::size_t f = quiet; f < clip->Frames(); ++f) {
        ASSERT_EQ(clip->samples[2 * f], 0) << f;
    }
}

}  // namespace
}  // namespace host::sound
