// Integer sine of the tone builders. Phase is in 1/1024 of a cycle; the
// result runs from -163 to 163, so a quarter cycle of 256 steps peaks at
// about 1024 / 2pi and one step of phase is one step of amplitude near zero.
#pragma once

#include <cstdint>

// Any phase is accepted; it is reduced modulo 1024 with the sign kept, so the
// function is odd and 1024-periodic over the whole int range.
int FixedSine(int phase);

// Scales a FixedSine value to a signed 16-bit sample: x * 32767 / 163,
// truncating toward zero, so the peaks are +32767 and -32767. Values outside
// -163..163 saturate instead of wrapping.
std::int16_t ScaleSine(int sine);

// The sample both builders write for a phase.
inline std::int16_t SineSample(int phase) {
    return ScaleSine(FixedSine(phase));
}
