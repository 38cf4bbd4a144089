#pragma once

// Number conversions of NMEA field text, with the C library's atoi/atof
// results (in the "C" locale) and no undefined behaviour on any input.

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace nmea {

// atoi: optional white space, optional sign, decimal digits; stops at the
// first character that cannot continue the number; 0 when there is none.
// Values beyond the range of int saturate at INT_MIN / INT_MAX.
int ToInt(const char* text) noexcept;

// atoi of the first `count` characters of `text` (fewer when text ends
// sooner).
int ToIntPrefix(const char* text, std::size_t count) noexcept;

// atof: the same double as std::strtod(text, nullptr), including signs,
// exponents, "inf", "nan" and hexadecimal forms. Short plain decimals take a
// correctly rounded fast path; everything else goes to strtod.
double ToDouble(const char* text) noexcept;

// atof of the first `count` characters of `text` (fewer when text ends
// sooner). `count` is at most 19; more is cut to 19.
double ToDoublePrefix(const char* text, std::size_t count) noexcept;

// Drops the fraction (toward zero). Values outside the range of a 32-bit
// int saturate at its limits and NaN gives 0, as the ARM conversion
// instruction does; in-range values are exact.
std::int32_t Truncate(double value) noexcept;

// Keeps the low bits of `value` that fit in T (two's complement).
template <typename T>
requires std::is_integral_v<T>
constexpr T LowBits(std::int64_t value) noexcept {
    return static_cast<T>(static_cast<std::make_unsigned_t<T>>(static_cast<std::uint64_t>(value)));
}

}  // namespace nmea
