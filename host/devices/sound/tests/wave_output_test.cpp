#include "host/sound/wave_output.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <thread>

#include "platform/last_error.h"
#include "wave_test_support.h"

namespace host::sound {
namespace {

using namespace testing_support;
using platform::DWORD;

constexpr DWORD kLoopAsyncMemory = platform::SND_ASYNC | platform::SND_MEMORY | platform::SND_LOOP;

std::string TempPath(const char* name) {
    return ::testing::TempDir() + "kestrin_sound_" + std::to_string(::getpid()) + "_" + name;
}

class WaveOutputTest : public ::testing::Test {
  protected:
    WaveOutput output_{WaveOutput::Options{.soundCard = false, .volume = 0xFFFFFFFFU}};
    const std::vector<std::int16_t> cycle_ = KiloHertzCycle();
    std::vector<std::uint8_t> tone_ = BuildWaveImage(48000, 1, cycle_);
};

TEST_F(WaveOutputTest, PlaysACopyOfTheImageInALoop) {
    EXPECT_FALSE(output_.Audible());
    EXPECT_FALSE(output_.SoundCardProblem().empty());
    ASSERT_EQ(output_.PlaySound(tone_.data(), kLoopAsyncMemory), platform::TRUE);
    // The console may rebuild its buffer once the player has it.
    std::fill(tone_.begin() + 44, tone_.end(), std::uint8_t{0x55});
    const auto now = output_.Recorder().Current();
    EXPECT_TRUE(now.playing);
    EXPECT_TRUE(now.looping);
    EXPECT_EQ(now.sampleRate, 48000U);
    EXPECT_EQ(now.channels, 1);
    EXPECT_EQ(now.samples, cycle_);
}

TEST_F(WaveOutputTest, CallsReplaceStopAndRefuse) {
    const std::vector<std::int16_t> other = {1, 2, 3, 4};
    const auto stereo = BuildWaveImage(44100, 2, other);
    auto broken = tone_;
    broken[34] = 8;  // 8-bit

    struct Step {
        const void* image;
        DWORD flags;
        platform::BOOL result;
        bool playing;
        bool looping;
        std::uint32_t rate;
    };
    const Step steps[] = {
        {nullptr, platform::SND_ASYNC, platform::TRUE, false, false, 0},  // stop with nothing on
        {tone_.data(), kLoopAsyncMemory, platform::TRUE, true, true, 48000},
        {stereo.data(), platform::SND_ASYNC | platform::SND_MEMORY, platform::TRUE, true, false,
         44100},
        {nullptr, platform::SND_ASYNC, platform::TRUE, false, false, 0},
        {tone_.data(), kLoopAsyncMemory, platform::TRUE, true, true, 48000},
        {broken.data(), kLoopAsyncMemory, platform::FALSE, false, false, 0},
        {tone_.data(), kLoopAsyncMemory, platform::TRUE, true, true, 48000},
        {"SystemDefault", platform::SND_ASYNC, platform::FALSE, false, false, 0},  // by name
        {tone_.data(), platform::SND_MEMORY | platform::SND_LOOP, platform::FALSE, false, false,
         0},  // a synchronous loop would never return
        {tone_.data(), platform::SND_MEMORY, platform::TRUE, true, false, 48000},
    };
    std::uint64_t starts = 0;
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        const Step& s = steps[i];
        EXPECT_EQ(output_.PlaySound(s.image, s.flags), s.result) << "step " << i;
        const auto now = output_.Recorder().Current();
        EXPECT_EQ(now.playing, s.playing) << "step " << i;
        EXPECT_EQ(now.looping, s.looping) << "step " << i;
        EXPECT_EQ(now.sampleRate, s.rate) << "step " << i;
        starts += s.playing ? 1 : 0;
        EXPECT_EQ(now.starts, starts) << "step " << i;
    }
}

TEST_F(WaveOutputTest, VolumeRoundTripsOnlyOnTheWaveMapper) {
    DWORD volume = 0;
    EXPECT_EQ(output_.waveOutGetVolume(platform::WAVE_MAPPER, &volume), platform::MMSYSERR_NOERROR);
    EXPECT_EQ(volume, 0xFFFFFFFFU);
    for (const DWORD v : {0x99999999U, 0x0000FFFFU, 0xFFFF0000U, 0x12345678U, 0U}) {
        ASSERT_EQ(output_.waveOutSetVolume(platform::WAVE_MAPPER, v), platform::MMSYSERR_NOERROR);
        ASSERT_EQ(output_.waveOutGetVolume(platform::WAVE_MAPPER, &volume),
                  platform::MMSYSERR_NOERROR);
        EXPECT_EQ(volume, v);
        EXPECT_EQ(output_.Volume(), v);
        EXPECT_EQ(output_.Recorder().Current().volume, v);
    }
    for (const DWORD device : {0U, 1U, 0xFFFFFFFEU}) {
        EXPECT_EQ(output_.waveOutSetVolume(device, 0x1111), platform::MMSYSERR_BADDEVICEID);
        volume = 0xABCD;
        EXPECT_EQ(output_.waveOutGetVolume(device, &volume), platform::MMSYSERR_BADDEVICEID);
        EXPECT_EQ(volume, 0xABCDU);
    }
    EXPECT_EQ(output_.Volume(), 0U);
    EXPECT_NE(output_.waveOutGetVolume(platform::WAVE_MAPPER, nullptr), platform::MMSYSERR_NOERROR);
}

TEST_F(WaveOutputTest, InjectedFaultsFailAndChangeNothingElse) {
    output_.waveOutSetVolume(platform::WAVE_MAPPER, 0x99999999U);
    output_.FailSetVolume(platform::MMSYSERR_ERROR);
    EXPECT_EQ(output_.waveOutSetVolume(platform::WAVE_MAPPER, 0x11111111U),
              platform::MMSYSERR_ERROR);
    EXPECT_EQ(output_.Volume(), 0x99999999U);

    output_.FailGetVolume(platform::MMSYSERR_NOTSUPPORTED);
    DWORD volume = 7;
    EXPECT_EQ(output_.waveOutGetVolume(platform::WAVE_MAPPER, &volume),
              platform::MMSYSERR_NOTSUPPORTED);
    EXPECT_EQ(volume, 7U);

    output_.FailPlaySound(5);
    platform::SetLastError(0);
    EXPECT_EQ(output_.PlaySound(tone_.data(), kLoopAsyncMemory), platform::FALSE);
    EXPECT_EQ(platform::GetLastError(), 5U);
    EXPECT_FALSE(output_.Recorder().Current().playing);

    output_.FailSetVolume(0);
    output_.FailGetVolume(0);
    output_.FailPlaySound(0);
    EXPECT_EQ(output_.waveOutSetVolume(platform::WAVE_MAPPER, 0x11111111U),
              platform::MMSYSERR_NOERROR);
    EXPECT_EQ(output_.waveOutGetVolume(platform::WAVE_MAPPER, &volume), platform::MMSYSERR_NOERROR);
    EXPECT_EQ(volume, 0x11111111U);
    EXPECT_EQ(output_.PlaySound(tone_.data(), kLoopAsyncMemory), platform::TRUE);
}

TEST(WaveOutputStateTest, VolumeIsUnitStateGivenAtStartAndRestorable) {
    WaveOutput output(WaveOutput::Options{.soundCard = false, .volume = 0x99999999U});
    DWORD volume = 0;
    ASSERT_EQ(output.waveOutGetVolume(platform::WAVE_MAPPER, &volume), platform::MMSYSERR_NOERROR);
    EXPECT_EQ(volume, 0x99999999U);
    output.FailSetVolume(platform::MMSYSERR_ERROR);
    output.RestoreVolume(0x00010002U);
    EXPECT_EQ(output.Volume(), 0x00010002U);
    EXPECT_EQ(output.Recorder().Current().volume, 0x00010002U);
}

struct WavFile {
    std::uint16_t channels = 0;
    std::uint32_t rate = 0;
    std::vector<std::int16_t> samples;
};

// Reads back a file written by WriteWav, checking its canonical header.
WavFile ReadWav(const std::string& path) {
    const std::vector<std::uint8_t> bytes = ReadFile(path);
    WavFile wav;
    EXPECT_GE(bytes.size(), 44U);
    if (bytes.size() < 44) {
        return wav;
    }
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(Peek32(bytes, 4), bytes.size() - 8);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(Peek32(bytes, 16), 16U);
    EXPECT_EQ(Peek16(bytes, 20), 1);
    wav.channels = Peek16(bytes, 22);
    wav.rate = Peek32(bytes, 24);
    EXPECT_EQ(Peek32(bytes, 28), wav.rate * wav.channels * 2);
    EXPECT_EQ(Peek16(bytes, 32), wav.channels * 2);
    EXPECT_EQ(Peek16(bytes, 34), 16);
    EXPECT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "data");
    EXPECT_EQ(Peek32(bytes, 40), bytes.size() - 44);
    for (std::size_t i = 44; i + 1 < bytes.size(); i += 2) {
        wav.samples.push_back(static_cast<std::int16_t>(Peek16(bytes, i)));
    }
    return wav;
}

TEST_F(WaveOutputTest, WriteWavRendersTheLoopAtTheVolume) {
    output_.waveOutSetVolume(platform::WAVE_MAPPER, 0x80004000U);
    ASSERT_EQ(output_.PlaySound(tone_.data(), kLoopAsyncMemory), platform::TRUE);
    const std::string path = TempPath("loop.wav");
    platform::Result<void> written = output_.Recorder().WriteWav(path, 0.5);
    ASSERT_TRUE(written.ok()) << written.error();
    const WavFile wav = ReadWav(path);
    EXPECT_EQ(wav.channels, 2);
    EXPECT_EQ(wav.rate, 48000U);
    ASSERT_EQ(wav.samples.size(), 24000U * 2);
    for (std::size_t i = 0; i < 24000; ++i) {
        const std::int32_t s = cycle_[i % cycle_.size()];
        ASSERT_EQ(wav.samples[2 * i], s * 0x4000 / 0xFFFF) << i;
        ASSERT_EQ(wav.samples[2 * i + 1], s * 0x8000 / 0xFFFF) << i;
    }
    // 1 kHz: two zero crossings a millisecond.
    int crossings = 0;
    for (std::size_t i = 2; i < wav.samples.size(); i += 2) {
        crossings += (wav.samples[i - 2] < 0) != (wav.samples[i] < 0) ? 1 : 0;
    }
    EXPECT_NEAR(crossings, 1000, 2);
    static_cast<void>(std::remove(path.c_str()));
}

TEST_F(WaveOutputTest, WriteWavOfASoundPlayedOnceOrStopped) {
    ASSERT_EQ(output_.PlaySound(tone_.data(), platform::SND_ASYNC | platform::SND_MEMORY),
              platform::TRUE);
    const std::string path = TempPath("once.wav");
    platform::Result<void> written = output_.Recorder().WriteWav(path, 0.01);
    ASSERT_TRUE(written.ok()) << written.error();
    WavFile wav = ReadWav(path);
    ASSERT_EQ(wav.samples.size(), 480U * 2);
    EXPECT_EQ(wav.samples[std::size_t{2} * 12], 32767);
    for (std::size_t i = std::size_t{48} * 2; i < wav.samples.size(); ++i) {
        ASSERT_EQ(wav.samples[i], 0) << i;
    }

    // After a stop the last sound started is still what gets written.
    output_.PlaySound(tone_.data(), kLoopAsyncMemory);
    output_.PlaySound(nullptr, platform::SND_ASYNC);
    written = output_.Recorder().WriteWav(path, 0.01);
    ASSERT_TRUE(written.ok()) << written.error();
    wav = ReadWav(path);
    EXPECT_EQ(wav.samples[std::size_t{2} * (48 + 12)], 32767);

    EXPECT_EQ(output_.Recorder().WriteWav(path, -1.0).error(), "cannot record -1.000000 seconds");
    EXPECT_FALSE(output_.Recorder().WriteWav(path, std::nan("")).ok());
    written = output_.Recorder().WriteWav("/nonexistent-dir/x.wav", 0.1);
    ASSERT_FALSE(written.ok());
    EXPECT_NE(written.error().find("/nonexistent-dir/x.wav"), std::string::npos);
    static_cast<void>(std::remove(path.c_str()));
}

TEST(WaveOutputSilenceTest, WriteWavWithNothingStartedIsSilence) {
    WaveOutput output(WaveOutput::Options{.soundCard = false});
    const std::string path = TempPath("silent.wav");
    platform::Result<void> written = output.Recorder().WriteWav(path, 0.001);
    ASSERT_TRUE(written.ok()) << written.error();
    const WavFile wav = ReadWav(path);
    EXPECT_EQ(wav.samples, std::vector<std::int16_t>(std::size_t{48} * 2, 0));
    static_cast<void>(std::remove(path.c_str()));
}

// The console's thread plays and sets the volume while others look on.
TEST_F(WaveOutputTest, CallsFromSeveralThreadsStayConsistent) {
    const auto other = BuildWaveImage(22050, 2, std::vector<std::int16_t>{1, 2});
    std::thread player([&] {
        for (int i = 0; i < 300; ++i) {
            output_.PlaySound(i % 2 == 0 ? tone_.data() : other.data(), kLoopAsyncMemory);
        }
    });
    std::thread volume([&] {
        for (DWORD i = 0; i < 300; ++i) {
            output_.waveOutSetVolume(platform::WAVE_MAPPER, i * 0x00010001U);
        }
    });
    for (int i = 0; i < 300; ++i) {
        const auto now = output_.Recorder().Current();
        EXPECT_TRUE(!now.playing || now.samples.size() == 48 || now.samples.size() == 2);
    }
    player.join();
    volume.join();
    EXPECT_EQ(output_.Recorder().Current().sampleRate, 22050U);
    EXPECT_EQ(output_.Volume(), 299U * 0x00010001U);
}

}  // namespace
}  // namespace host::sound
