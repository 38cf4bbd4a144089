#include "host/sound/wave_clip.h"

#include <cstring>

namespace host::sound {

namespace {

std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint16_t U16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

bool Tag(const std::uint8_t* p, const char (&tag)[5]) {
    return std::memcmp(p, tag, 4) == 0;
}

constexpr std::uint16_t kPcm = 1;
constexpr std::uint32_t kMinRate = 1000;
constexpr std::uint32_t kMaxRate = 192000;

}  // namespace

std::optional<std::size_t> WaveImageSize(std::span<const std::uint8_t, 8> header) {
    if (!Tag(header.data(), "RIFF")) {
        return std::nullopt;
    }
    const std::uint32_t riffSize = U32(header.data() + 4);
    if (riffSize < 4 || riffSize > kMaxWaveImageBytes - 8) {
        return std::nullopt;
    }
    return std::size_t{8} + riffSize;
}

platform::Result<WaveClip> ParseWaveImage(std::span<const std::uint8_t> image) {
    if (image.size() < 12) {
        return platform::Fail("shorter than a RIFF header");
    }
    const std::uint8_t* base = image.data();
    if (!Tag(base, "RIFF") || !Tag(base + 8, "WAVE")) {
        return platform::Fail("not a RIFF/WAVE image");
    }
    const auto declared = WaveImageSize(std::span<const std::uint8_t, 8>(base, 8));
    if (!declared || *declared > image.size()) {
        return platform::Fail("RIFF size past the end of the image");
    }
    const std::size_t end = *declared;

    bool haveFormat = false;
    WaveClip clip;
    std::size_t pos = 12;
    while (pos + 8 <= end) {
        const std::uint8_t* chunk = base + pos;
        const std::size_t size = U32(chunk + 4);
        if (size > end - pos - 8) {
            return platform::Fail("chunk size past the end of the image");
        }
        const std::uint8_t* body = chunk + 8;
        if (Tag(chunk, "fmt ")) {
            if (size < 16) {
                return platform::Fail("format chunk too short");
            }
            const std::uint16_t tag = U16(body);
            const std::uint16_t channels = U16(body + 2);
            const std::uint32_t rate = U32(body + 4);
            const std::uint32_t byteRate = U32(body + 8);
            const std::uint16_t blockAlign = U16(body + 12);
            const std::uint16_t bits = U16(body + 14);
            if (tag != kPcm) {
                return platform::Fail("not PCM");
            }
            if (bits != 16) {
                return platform::Fail("not 16-bit samples");
            }
            if (channels != 1 && channels != 2) {
                return platform::Fail("neither mono nor stereo");
            }
            if (rate < kMinRate || rate > kMaxRate) {
                return platform::Fail("sample rate out of range");
            }
            if (blockAlign != channels * 2U || byteRate != rate * blockAlign) {
                return platform::Fail("block align or byte rate inconsistent");
            }
            clip.sampleRate = rate;
            clip.channels = channels;
            haveFormat = true;
        } else if (Tag(chunk, "data")) {
            if (!haveFormat) {
                return platform::Fail("data before the format");
            }
            if (size % (std::size_t{clip.channels} * 2U) != 0) {
                return platform::Fail("data size not a whole number of frames");
            }
            clip.samples.resize(size / 2);
            for (std::size_t i = 0; i < clip.samples.size(); ++i) {
                clip.samples[i] = static_cast<std::int16_t>(U16(body + 2 * i));
            }
            return clip;
        }
        // Chunks are padded to an even size; a missing last pad is harmless.
        pos += 8 + size + (size & 1U);
    }
    return platform::Fail(haveFormat ? "no data chunk" : "no format chunk");
}

double CrossingFrequency(const WaveClip& clip, bool loop) {
    const std::size_t frames = clip.Frames();
    if (frames < 2 || clip.sampleRate == 0) {
        return 0;
    }
    const auto sample = [&clip](std::size_t frame) {
        return static_cast<int>(clip.samples[frame * clip.channels]);
    };
    // Where the first channel rises through zero, between two samples.
    double first = -1;
    double last = -1;
    std::size_t crossings = 0;
    for (std::size_t i = 1; i < frames; ++i) {
        const int before = sample(i - 1);
        const int now = sample(i);
        if (before < 0 && now >= 0) {
            const double at =
                static_cast<double>(i - 1) + static_cast<double>(-before) / (now - before);
            first = first < 0 ? at : first;
            last = at;
            ++crossings;
        }
    }
    if (loop) {
        // A looped clip is one or more whole cycles: its end runs into its start.
        if (sample(frames - 1) < 0 && sample(0) >= 0) {
            ++crossings;
        }
        return static_cast<double>(crossings) * clip.sampleRate / static_cast<double>(frames);
    }
    if (crossings < 2 || last <= first) {
        return 0;
    }
    return static_cast<double>(crossings - 1) * clip.sampleRate / (last - first);
}

}  // namespace host::sound
