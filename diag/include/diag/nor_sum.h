// The NOR check's sum: 16-bit little-endian words added in a 16-bit
// accumulator that wraps. The one heavy loop of the console (16 MiB), so it
// reads at memory speed.
#pragma once

#include <cstddef>
#include <cstdint>

// Sums `words` words starting at data (no alignment needed).
std::uint16_t SumLittleEndianWords(const void* data, std::size_t words);
