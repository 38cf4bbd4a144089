#include "host/sound/wave_clip.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "host/sound/wav_file.h"
#include "wave_test_support.h"

namespace host::sound {
namespace {

using namespace testing_support;

std::vector<std::uint8_t> Tone() {
    const auto cycle = KiloHertzCycle();
    return BuildWaveImage(48000, 1, cycle);
}

TEST(WaveClipTest, ParsesPcmMonoAndStereo) {
    const auto cycle = KiloHertzCycle();
    auto mono = ParseWaveImage(Tone());
    ASSERT_TRUE(mono) << mono.error();
    EXPECT_EQ(mono->sampleRate, 48000U);
    EXPECT_EQ(mono->channels, 1);
    EXPECT_EQ(mono->samples, cycle);
    EXPECT_EQ(mono->Frames(), 48U);

    const std::vector<std::int16_t> stereo = {1, -1, 2, -2, 32767, -32768};
    auto two = ParseWaveImage(BuildWaveImage(22050, 2, stereo));
    ASSERT_TRUE(two) << two.error();
    EXPECT_EQ(two->channels, 2);
    EXPECT_EQ(two->sampleRate, 22050U);
    EXPECT_EQ(two->samples, stereo);
    EXPECT_EQ(two->Frames(), 3U);
}

// Writers add chunks of their own and longer format chunks; the player
// skips what it does not need, padding included.
TEST(WaveClipTest, SkipsOtherChunksAndLongerFormats) {
    const std::vector<std::int16_t> samples = {5, 6, 7};
    const std::vector<std::uint8_t> plain = BuildWaveImage(8000, 1, samples);
    std::vector<std::uint8_t> image(plain.begin(), plain.begin() + 36);
    // An 18-byte format chunk (cbSize 0) ...
    Poke32(image, 16, 18);
    image.insert(image.end(), {0, 0});
    // ... an odd-sized LIST chunk with its pad byte ...
    const std::uint8_t list[] = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
    image.insert(image.end(), std::begin(list), std::end(list));
    // ... then the data.
    image.insert(image.end(), plain.begin() + 36, plain.end());
    Poke32(image, 4, static_cast<std::uint32_t>(image.size() - 8));
    auto clip = ParseWaveImage(image);
    ASSERT_TRUE(clip) << clip.error();
    EXPECT_EQ(clip->samples, samples);
    EXPECT_EQ(clip->sampleRate, 8000U);
}

TEST(WaveClipTest, RefusesMalformedImages) {
    using Edit = std::function<void(std::vector<std::uint8_t>&)>;
    const std::pair<const char*, Edit> cases[] = {
        {"empty", [](auto& i) { i.clear(); }},
        {"eleven bytes", [](auto& i) { i.resize(11); }},
        {"header only", [](auto& i) { i.resize(12); }},
        {"cut inside the data",
         [](auto& i) {
             i.pop_back();
             i.pop_back();
         }},
        {"not RIFF",
         [](auto& i) {
             i[0] = 'R';
             i[1] = 'I';
             i[2] = 'F';
             i[3] = 'X';
         }},
        {"not WAVE", [](auto& i) { i[8] = 'A'; }},
        {"no fmt chunk", [](auto& i) { i[12] = 'F'; }},
        {"no data chunk", [](auto& i) { i[36] = 'D'; }},
        {"RIFF size below WAVE", [](auto& i) { Poke32(i, 4, 3); }},
        {"RIFF size past the end", [](auto& i) { Poke32(i, 4, Peek32(i, 4) + 2); }},
        {"RIFF size enormous", [](auto& i) { Poke32(i, 4, 0xFFFFFFF0U); }},
        {"data size past the end", [](auto& i) { Poke32(i, 40, Peek32(i, 40) + 2); }},
        {"data size wraps", [](auto& i) { Poke32(i, 40, 0xFFFFFFFFU); }},
        {"fmt size past the end", [](auto& i) { Poke32(i, 16, 0x7FFFFFFFU); }},
        {"fmt too short", [](auto& i) { Poke32(i, 16, 14); }},
        {"odd data size",
         [](auto& i) {
             Poke32(i, 40, 95);
             Poke32(i, 4, Peek32(i, 4) - 1);
             i.pop_back();
         }},
        {"8-bit samples",
         [](auto& i) {
             Poke16(i, 34, 8);
             Poke16(i, 32, 1);
             Poke32(i, 28, 48000);
         }},
        {"24-bit samples", [](auto& i) { Poke16(i, 34, 24); }},
        {"float format", [](auto& i) { Poke16(i, 20, 3); }},
        {"no channels", [](auto& i) { Poke16(i, 22, 0); }},
        {"three channels",
         [](auto& i) {
             Poke16(i, 22, 3);
             Poke16(i, 32, 6);
             Poke32(i, 28, 288000);
         }},
        {"stereo data not whole frames",
         [](auto& i) {
             Poke16(i, 22, 2);
             Poke16(i, 32, 4);
             Poke32(i, 28, 192000);
             Poke32(i, 40, 94);
             Poke32(i, 4, Peek32(i, 4) - 2);
             i.resize(i.size() - 2);
         }},
        {"rate zero", [](auto& i) { Poke32(i, 24, 0); }},
        {"rate absurd",
         [](auto& i) {
             Poke32(i, 24, 100000000);
             Poke32(i, 28, 200000000);
         }},
        {"byte rate wrong", [](auto& i) { Poke32(i, 28, 48000); }},
        {"block align wrong", [](auto& i) { Poke16(i, 32, 4); }},
        {"data before fmt",
         [](auto& i) { std::swap_ranges(i.begin() + 12, i.begin() + 16, i.begin() + 36); }},
    };
    for (const auto& [name, edit] : cases) {
        std::vector<std::uint8_t> image = Tone();
        edit(image);
        const auto clip = ParseWaveImage(image);
        ASSERT_FALSE(clip) << name;
        EXPECT_FALSE(clip.error().empty()) << name;
    }
}

TEST(WaveClipTest, ImageSizeComesFromTheHeaderWithinBounds) {
    auto size = [](std::vector<std::uint8_t> bytes) {
        return WaveImageSize(std::span<const std::uint8_t, 8>(bytes.data(), 8));
    };
    EXPECT_EQ(size(Tone()), std::optional<std::size_t>(44 + 96));
    auto image = Tone();
    image[3] = 'X';
    EXPECT_FALSE(size(image));
    Poke32(image = Tone(), 4, kMaxWaveImageBytes - 8);
    EXPECT_EQ(size(image), std::optional<std::size_t>(kMaxWaveImageBytes));
    Poke32(image, 4, kMaxWaveImageBytes - 7);
    EXPECT_FALSE(size(image));
}

TEST(WaveClipTest, RandomDamageNeverReadsOutsideTheImage) {
    std::mt19937 random(3);
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> image = Tone();
        const int hits = 1 + static_cast<int>(random() % 4);
        for (int h = 0; h < hits; ++h) {
            image[random() % 48] = static_cast<std::uint8_t>(random());
        }
        image.resize(random() % (image.size() + 1));
        const auto clip = ParseWaveImage(image);
        if (clip) {
            EXPECT_LE(clip->samples.size() * 2, image.size());
        }
    }
}

}  // namespace
}  // namespace host::sound
