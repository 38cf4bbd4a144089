#include "audio/wave_header.h"

#include <cstring>

namespace {

void StoreTag(std::uint8_t* out, const char (&tag)[5]) {
    std::memcpy(out, tag, 4);
}

}  // namespace

void WriteWaveHeader(std::span<std::uint8_t, kWaveHeaderSize> out, std::uint32_t sampleRate,
                     std::uint32_t sampleCount) {
    const auto dataSize = static_cast<std::uint32_t>(sampleCount * kBytesPerSample);
    std::uint8_t* p = out.data();
    StoreTag(p + 0, "RIFF");
    StoreLe32(p + 4, 36U + dataSize);
    StoreTag(p + 8, "WAVE");
    StoreTag(p + 12, "fmt ");
    StoreLe32(p + 16, 16U);  // format chunk size
    StoreLe16(p + 20, 1U);   // PCM
    StoreLe16(p + 22, 1U);   // mono
    StoreLe32(p + 24, sampleRate);
    StoreLe32(p + 28, static_cast<std::uint32_t>(sampleRate * kBytesPerSample));
    StoreLe16(p + 32, static_cast<std::uint16_t>(kBytesPerSample));  // block align
    StoreLe16(p + 34, 16U);                                          // bits per sample
    StoreTag(p + 36, "data");
    StoreLe32(p + 40, dataSize);
}
