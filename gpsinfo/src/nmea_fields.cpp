#include "gpsinfo/nmea_fields.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace {

enum : std::uint8_t { kText = 0, kComma = 1, kEnd = 2 };

constexpr std::array<std::uint8_t, 256> kByteClass = [] {
    std::array<std::uint8_t, 256> table{};
    table[static_cast<unsigned char>(',')] = kComma;
    table[static_cast<unsigned char>('\r')] = kEnd;
    table[static_cast<unsigned char>('\n')] = kEnd;
    table[0] = kEnd;
    return table;
}();

std::uint8_t ClassOf(char c) noexcept {
    return kByteClass[static_cast<unsigned char>(c)];
}

}  // namespace

CNmeaFields::CNmeaFields() noexcept = default;

void CNmeaFields::Split(const char* line, std::size_t length) noexcept {
    // Only fields written by the previous line can hold text.
    std::memset(m_szField, 0, m_nUsed * FIELD_SIZE);
    m_nUsed = 0;
    if (line == nullptr) {
        return;
    }
    std::size_t field = 0;
    std::size_t i = 0;
    for (;;) {
        const std::size_t start = i;
        while (i < length && ClassOf(line[i]) == kText) {
            ++i;
        }
        const std::size_t n = i - start;
        std::memcpy(m_szField[field], line + start, n < FIELD_SIZE - 1 ? n : FIELD_SIZE - 1);
        m_nUsed = field + 1;
        if (i == length || ClassOf(line[i]) == kEnd || ++field == FIELD_COUNT) {
            return;
        }
        ++i;  // the comma
    }
}
