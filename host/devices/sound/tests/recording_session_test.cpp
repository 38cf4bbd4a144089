// The session as it was heard: starts, stops and volume changes placed at
// their time on the clock, the loop running on across volume changes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "host/sound/recording_sink.h"
#include "host/sound/wave_clip.h"
#include "wave_test_support.h"

namespace host::sound {
namespace {

using namespace testing_support;

constexpr std::size_t kFramesPerMs = 48;

class RecordingSessionTest : public ::testing::Test {
  protected:
    void TearDown() override { static_cast<void>(std::remove(path_.c_str())); }

    std::shared_ptr<const WaveClip> Mono(std::vector<std::int16_t> samples) {
        return std::make_shared<const WaveClip>(WaveClip{48000, 1, std::move(samples)});
    }
    // The written file's left and right channels.
    void Read(std::vector<std::int16_t>* left, std::vector<std::int16_t>* right) {
        const auto bytes = ReadFile(path_);
        const auto clip = ParseWaveImage(bytes);
        ASSERT_TRUE(clip) << clip.error();
        ASSERT_EQ(clip->sampleRate, 48000U);
        ASSERT_EQ(clip->channels, 2);
        left->clear();
        right->clear();
        for (std::size_t i = 0; i + 1 < clip->samples.size(); i += 2) {
            left->push_back(clip->samples[i]);
            right->push_back(clip->samples[i + 1]);
        }
    }

    std::atomic<std::uint64_t> now_{1000};
    RecordingSink::Clock clock_ = [this] { return now_.load(); };
    std::string path_ =
        ::testing::TempDir() + "kestrin_session_" + std::to_string(::getpid()) + ".wav";
    const std::vector<std::int16_t> cycle_ = KiloHertzCycle();
};

TEST_F(RecordingSessionTest, EveryCallLandsAtItsTime) {
    RecordingSink sink(clock_);
    sink.Play(Mono(cycle_), true);  // t = 1000
    now_ = 1500;
    sink.SetVolume(0x40004000U);
    now_ = 2000;
    sink.Play(nullptr, false);
    now_ = 3000;
    const std::vector<std::int16_t> once = {1000, 2000, 3000};
    sink.Play(Mono(once), false);
    now_ = 9000;  // long after the sound played once has ended

    platform::Result<void> written = sink.WriteSession(path_);
    ASSERT_TRUE(written.ok()) << written.error();
    std::vector<std::int16_t> left;
    std::vector<std::int16_t> right;
    Read(&left, &right);
    // 1000 .. 3001: a played-once sound of 3 frames ends within its first ms.
    ASSERT_EQ(left.size(), 2001 * kFramesPerMs);
    for (std::size_t f = 0; f < 500 * kFramesPerMs; ++f) {
        ASSERT_EQ(left[f], cycle_[f % 48]) << f;
    }
    // The volume changes the level, not the place in the loop.
    for (std::size_t f = 500 * kFramesPerMs; f < 1000 * kFramesPerMs; ++f) {
        ASSERT_EQ(left[f], cycle_[f % 48] * 0x4000 / 0xFFFF) << f;
        ASSERT_EQ(right[f], left[f]) << f;
    }
    for (std::size_t f = 1000 * kFramesPerMs; f < 2000 * kFramesPerMs; ++f) {
        ASSERT_EQ(left[f], 0) << f;
    }
    const std::size_t at = 2000 * kFramesPerMs;
    EXPECT_EQ(left[at], 1000 * 0x4000 / 0xFFFF);
    EXPECT_EQ(left[at + 2], 3000 * 0x4000 / 0xFFFF);
    EXPECT_EQ(left[at + 3], 0);
}

TEST_F(RecordingSessionTest, ALoopStillPlayingRunsToNow) {
    RecordingSink sink(clock_);
    now_ = 5000;
    sink.SetVolume(0xFFFFFFFFU);  // before the first sound: not part of the session
    now_ = 6000;
    sink.Play(Mono(cycle_), true);
    now_ = 6250;
    platform::Result<void> written = sink.WriteSession(path_);
    ASSERT_TRUE(written.ok()) << written.error();
    std::vector<std::int16_t> left;
    std::vector<std::int16_t> right;
    Read(&left, &right);
    ASSERT_EQ(left.size(), 250 * kFramesPerMs);
    EXPECT_EQ(left[12], 32767);
    EXPECT_EQ(left.back(), cycle_.back());
}

TEST_F(RecordingSessionTest, NothingStartedWritesAnEmptyFile) {
    RecordingSink sink(clock_);
    sink.SetVolume(0x1234);
    sink.Play(nullptr, false);
    now_ = 99999;
    platform::Result<void> written = sink.WriteSession(path_);
    ASSERT_TRUE(written.ok()) << written.error();
    std::vector<std::int16_t> left;
    std::vector<std::int16_t> right;
    Read(&left, &right);
    EXPECT_TRUE(left.empty());
    written = sink.WriteSession("/nonexistent-dir/session.wav");
    ASSERT_FALSE(written.ok());
    EXPECT_NE(written.error().find("/nonexistent-dir/session.wav"), std::string::npos);
}

// Hours of calls keep only what the last session needs: the sound that
// plays into the window keeps its place in the loop and the volume set long
// before it still applies.
TEST_F(RecordingSessionTest, ALongRunKeepsTheLastSessionWithTheStateBeforeIt) {
    RecordingSink sink(clock_, 2);
    const std::vector<std::int16_t> ramp = {100, 200, 300, 400, 500, 600, 700};
    const std::vector<std::int16_t> other = {-5, -6};
    now_ = 0;
    sink.SetVolume(0x8000FFFFU);
    for (std::uint64_t i = 0; i < 5000; ++i) {
        now_ = 10 + i;
        sink.Play(Mono(i % 2 == 0 ? other : cycle_), true);
    }
    now_ = 6000;
    sink.Play(Mono(ramp), true);
    now_ = 20000;
    platform::Result<void> written = sink.WriteSession(path_);
    ASSERT_TRUE(written.ok()) << written.error();
    std::vector<std::int16_t> left;
    std::vector<std::int16_t> right;
    Read(&left, &right);
    ASSERT_EQ(left.size(), 2000 * kFramesPerMs);
    const std::size_t offset = (18000 - 6000) * kFramesPerMs;
    for (std::size_t f = 0; f < left.size(); ++f) {
        const std::int32_t s = ramp[(offset + f) % ramp.size()];
        ASSERT_EQ(left[f], s) << f;
        ASSERT_EQ(right[f], s * 0x8000 / 0xFFFF) << f;
    }
}

// A sound stopped long before the calls that follow is still the session.
TEST_F(RecordingSessionTest, CallsAfterTheLastSoundDoNotPushItOut) {
    RecordingSink sink(clock_, 2);
    now_ = 100;
    sink.Play(Mono(cycle_), true);
    now_ = 600;
    sink.Play(nullptr, false);
    for (std::uint64_t i = 0; i < 3000; ++i) {
        now_ = 1000 + 10 * i;
        sink.SetVolume(static_cast<std::uint32_t>(i));
    }
    platform::Result<void> written = sink.WriteSession(path_);
    ASSERT_TRUE(written.ok()) << written.error();
    std::vector<std::int16_t> left;
    std::vector<std::int16_t> right;
    Read(&left, &right);
    ASSERT_EQ(left.size(), 500 * kFramesPerMs);
    EXPECT_EQ(left[12], 32767);
}

}  // namespace
}  // namespace host::sound
