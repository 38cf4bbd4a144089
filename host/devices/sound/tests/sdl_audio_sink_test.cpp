#include "host/sound/sdl_audio_sink.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/sound/wave_output.h"
#include "wave_test_support.h"

namespace host::sound {
namespace {

using namespace testing_support;

class SdlAudioTest : public ::testing::Test {
  protected:
    void TearDown() override { SDL_ResetHint(SDL_HINT_AUDIODRIVER); }
};

// SDL's disk driver writes exactly the stream the device is fed.
TEST_F(SdlAudioTest, DeviceGetsTheLoopAtTheVolume) {
    const std::string path =
        ::testing::TempDir() + "kestrin_disk_audio_" + std::to_string(::getpid()) + ".raw";
    ::setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
    ::setenv("SDL_DISKAUDIODELAY", "0", 1);
    SDL_SetHint(SDL_HINT_AUDIODRIVER, "disk");
    auto opened = SdlAudioSink::Open();
    if (!opened) {
        GTEST_SKIP() << "SDL has no disk audio driver: " << opened.error();
    }
    std::unique_ptr<SdlAudioSink> sink = std::move(*opened);
    std::vector<std::int16_t> ramp(480);
    for (std::size_t i = 0; i < ramp.size(); ++i) {
        ramp[i] = static_cast<std::int16_t>(100 + 60 * i);
    }
    sink->SetVolume(0x4000FFFFU);
    sink->Play(std::make_shared<const WaveClip>(WaveClip{48000, 1, ramp}), true);
    sink->WaitForFrames(48000);
    sink.reset();  // closes the device and its file

    const std::vector<std::uint8_t> bytes = ReadFile(path);
    static_cast<void>(std::remove(path.c_str()));
    ::unsetenv("SDL_DISKAUDIOFILE");
    ::unsetenv("SDL_DISKAUDIODELAY");
    std::size_t frame = 0;
    std::size_t frames = bytes.size() / 4;
    auto left = [&](std::size_t f) { return static_cast<std::int16_t>(Peek16(bytes, 4 * f)); };
    auto right = [&](std::size_t f) { return static_cast<std::int16_t>(Peek16(bytes, 4 * f + 2)); };
    while (frame < frames && left(frame) == 0 && right(frame) == 0) {
        ++frame;  // silence before the sound started
    }
    // SDL writes one buffer of silence when the device closes between two
    // callbacks (no ramp sample is 0).
    while (frames > frame && left(frames - 1) == 0 && right(frames - 1) == 0) {
        --frames;
    }
    ASSERT_GE(frames - frame, 2 * ramp.size()) << "too little was played";
    for (std::size_t i = 0; frame + i < frames; ++i) {
        const std::int32_t s = ramp[i % ramp.size()];
        ASSERT_EQ(left(frame + i), s) << i;
        ASSERT_EQ(right(frame + i), s * 0x4000 / 0xFFFF) << i;
    }
}

TEST_F(SdlAudioTest, WithoutADeviceTheOutputRecordsInstead) {
    SDL_SetHint(SDL_HINT_AUDIODRIVER, "no-such-driver");
    WaveOutput output(WaveOutput::Options{.soundCard = true});
    EXPECT_FALSE(output.Audible());
    EXPECT_FALSE(output.SoundCardProblem().empty());
    const auto tone = BuildWaveImage(48000, 1, KiloHertzCycle());
    EXPECT_EQ(output.PlaySound(tone.data(),
                               platform::SND_ASYNC | platform::SND_MEMORY | platform::SND_LOOP),
              platform::TRUE);
    EXPECT_TRUE(output.Recorder().Current().playing);
}

// ALSA reports a device it cannot open on standard error itself; only SDL's
// one-line reason may come out of it.
TEST_F(SdlAudioTest, AlsaFailingToOpenPrintsNothing) {
    SDL_SetHint(SDL_HINT_AUDIODRIVER, "alsa");
    ::setenv("AUDIODEV", "hw:99", 1);  // SDL's ALSA driver opens this device instead
    ::testing::internal::CaptureStderr();
    const auto sink = SdlAudioSink::Open();
    const std::string printed = ::testing::internal::GetCapturedStderr();
    ::unsetenv("AUDIODEV");
    ASSERT_FALSE(sink.ok());
    if (sink.error().starts_with("SDL audio:")) {
        GTEST_SKIP() << "SDL has no ALSA driver: " << sink.error();
    }
    EXPECT_NE(sink.error().find("ALSA"), std::string::npos) << sink.error();
    EXPECT_EQ(printed, "");
}

}  // namespace
}  // namespace host::sound

// SDL's audio start loads libdbus, which keeps a buffer past SDL_Quit.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n";
}
