#include "host/sound/wav_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>

namespace host::sound {

namespace {

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(v >> static_cast<unsigned>(shift)));
    }
}

void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8U));
}

void PutTag(std::vector<std::uint8_t>& out, const char* tag) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(tag[i]));
    }
}

}  // namespace

std::vector<std::uint8_t> BuildWaveImage(std::uint32_t sampleRate, std::uint16_t channels,
                                         std::span<const std::int16_t> samples) {
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    const auto blockAlign = static_cast<std::uint16_t>(channels * 2U);
    std::vector<std::uint8_t> out;
    out.reserve(44 + dataBytes);
    PutTag(out, "RIFF");
    Put32(out, 36 + dataBytes);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 16);
    Put16(out, 1);  // PCM
    Put16(out, channels);
    Put32(out, sampleRate);
    Put32(out, sampleRate * blockAlign);
    Put16(out, blockAlign);
    Put16(out, 16);
    PutTag(out, "data");
    Put32(out, dataBytes);
    for (const std::int16_t s : samples) {
        Put16(out, static_cast<std::uint16_t>(s));
    }
    return out;
}

platform::Result<void> WriteWavFile(const std::string& path, std::uint32_t sampleRate,
                                    std::uint16_t channels, std::span<const std::int16_t> samples) {
    const std::vector<std::uint8_t> image = BuildWaveImage(sampleRate, channels, samples);
    errno = 0;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file) {
        file.write(reinterpret_cast<const char*>(image.data()),
                   static_cast<std::streamsize>(image.size()));
        file.close();
    }
    if (!file) {
        return platform::Fail(path + ": " + (errno != 0 ? std::strerror(errno) : "write failed"));
    }
    return {};
}

}  // namespace host::sound
