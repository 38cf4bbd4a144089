#include "audio/fixed_sine.h"

#include <algorithm>

int FixedSine(int phase) {
    int sign = phase >= 0 ? 1 : -1;
    // |phase| in unsigned arithmetic: INT_MIN has no positive int.
    const std::uint32_t magnitude =
        phase >= 0 ? static_cast<std::uint32_t>(phase) : 0U - static_cast<std::uint32_t>(phase);
    std::uint32_t a = magnitude % 1024U;
    if (a >= 512U) {
        a -= 512U;
        sign = -sign;
    }
    if (a > 256U) {
        a = 512U - a;
    }
    std::uint32_t v = 0;
    if (a <= 151U) {
        // Sine series around zero; the product stays below 2^32.
        v = (((1U << 24) - 105U * a * a) * a) >> 24;
    } else {
        // Cosine series around the peak; 0x51800000 is 163 << 23.
        const std::uint32_t b = 256U - a;
        v = (0x51800000U - 25731U * b * b) >> 23;
    }
    return sign * static_cast<int>(v);
}

std::int16_t ScaleSine(int sine) {
    const std::int64_t scaled = static_cast<std::int64_t>(sine) * 32767 / 163;
    return static_cast<std::int16_t>(std::clamp<std::int64_t>(scaled, -32768, 32767));
}
