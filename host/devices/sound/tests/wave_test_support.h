// Building and reading RIFF/WAVE bytes in the sound tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/sound/wav_file.h"

namespace host::sound::testing_support {

inline void Poke32(std::vector<std::uint8_t>& image, std::size_t at, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i) {
        image[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

inline void Poke16(std::vector<std::uint8_t>& image, std::size_t at, std::uint16_t v) {
    image[at] = static_cast<std::uint8_t>(v);
    image[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

inline std::uint32_t Peek32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        v |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
    }
    return v;
}

inline std::uint16_t Peek16(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

inline std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// One cycle of a 1 kHz sine at 48000 Hz, as the console's tone generator
// makes it.
inline std::vector<std::int16_t> KiloHertzCycle() {
    return {0,      4020,   8242,   12463,  16282,  19700,  22916,  25731,  28143,  30153,
            31560,  32364,  32767,  32364,  31560,  30153,  28143,  25731,  22916,  19700,
            16282,  12463,  8242,   4020,   0,      -4020,  -8242,  -12463, -16282, -19700,
            -22916, -25731, -28143, -30153, -31560, -32364, -32767, -32364, -31560, -30153,
            -28143, -25731, -22916, -19700, -16282, -12463, -8242,  -4020};
}

}  // namespace host::sound::testing_support
