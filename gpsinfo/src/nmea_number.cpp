#include "gpsinfo/nmea_number.h"

#include <climits>
#include <cmath>
#include <cstdlib>

namespace nmea {
namespace {

// The characters isspace() accepts in the "C" locale.
constexpr bool IsSpace(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Longest text handed to the prefix conversions.
constexpr std::size_t kPrefixMax = 19;

// Every power of ten up to 1e19 is exact in a double (they are up to 1e22).
constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,
                             1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19};

constexpr unsigned kFastDigitsMax = 19;
constexpr std::uint64_t kExactMantissaMax = std::uint64_t{1} << 53;

// Copies at most `count` characters of `text` and a terminating zero.
void CopyPrefix(char (&buffer)[kPrefixMax + 1], const char* text, std::size_t count) noexcept {
    std::size_t n = 0;
    if (text != nullptr) {
        for (const std::size_t end = count < kPrefixMax ? count : kPrefixMax;
             n < end && text[n] != '\0'; ++n) {
            buffer[n] = text[n];
        }
    }
    buffer[n] = '\0';
}

}  // namespace

int ToInt(const char* text) noexcept {
    if (text == nullptr) {
        return 0;
    }
    const char* p = text;
    while (IsSpace(*p)) {
        ++p;
    }
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') {
        ++p;
    }
    // One past INT_MAX is enough to saturate either way.
    constexpr std::int64_t kCeiling = std::int64_t{INT_MAX} + 1;
    std::int64_t value = 0;
    for (unsigned digit; (digit = static_cast<unsigned char>(*p) - unsigned{'0'}) < 10; ++p) {
        value = value * 10 + digit;
        if (value > kCeiling) {
            value = kCeiling;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX) {
        return INT_MAX;
    }
    return static_cast<int>(value);
}

int ToIntPrefix(const char* text, std::size_t count) noexcept {
    char buffer[kPrefixMax + 1];
    CopyPrefix(buffer, text, count);
    return ToInt(buffer);
}

double ToDouble(const char* text) noexcept {
    if (text == nullptr) {
        return 0.0;
    }
    // Fast path: [sign] digits [. digits] with at most 19 digits and an
    // integer mantissa m <= 2^53. Then m and 10^f are exact doubles and one
    // IEEE division gives the correctly rounded value, which is what strtod
    // returns. Anything else (blanks, exponents, hex, inf/nan, long digit
    // strings) goes to strtod itself.
    const char* p = text;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') {
        ++p;
    }
    std::uint64_t mantissa = 0;
    unsigned digits = 0;
    unsigned fraction = 0;
    bool dot = false;
    for (;; ++p) {
        const unsigned digit = static_cast<unsigned char>(*p) - unsigned{'0'};
        if (digit < 10) {
            if (++digits > kFastDigitsMax) {
                return std::strtod(text, nullptr);
            }
            mantissa = mantissa * 10 + digit;
            fraction += dot ? 1U : 0U;
        } else if (*p == '.' && !dot) {
            dot = true;
        } else {
            break;
        }
    }
    if (digits == 0) {
        return *text == '\0' ? 0.0 : std::strtod(text, nullptr);
    }
    if (*p == 'e' || *p == 'E' || *p == 'x' || *p == 'X' || mantissa > kExactMantissaMax) {
        return std::strtod(text, nullptr);
    }
    const double value = static_cast<double>(mantissa) / kPow10[fraction];
    return negative ? -value : value;
}

double ToDoublePrefix(const char* text, std::size_t count) noexcept {
    char buffer[kPrefixMax + 1];
    CopyPrefix(buffer, text, count);
    return ToDouble(buffer);
}

std::int32_t Truncate(double value) noexcept {
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= 2147483648.0) {
        return INT32_MAX;
    }
    if (value <= -2147483649.0) {
        return INT32_MIN;
    }
    return static_cast<std::int32_t>(value);
}

}  // namespace nmea
