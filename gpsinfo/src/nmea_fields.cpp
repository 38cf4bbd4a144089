#include "gpsinfo/nmea_fields.h"

#include <cstring>

CNmeaFields::CNmeaFields() noexcept : m_szField{} {}

void CNmeaFields::Split(const char* line, std::size_t length) noexcept {
    std::memset(m_szField, 0, sizeof m_szField);
    if (line == nullptr) {
        return;
    }
    std::size_t field = 0;
    std::size_t pos = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const char c = line[i];
        if (c == '\r' || c == '\n' || c == '\0') {
            break;
        }
        if (c == ',') {
            if (++field == FIELD_COUNT) {
                break;
            }
            pos = 0;
        } else if (pos < FIELD_SIZE - 1) {
            m_szField[field][pos++] = c;
        }
    }
}

bool CNmeaFields::IsEmpty(std::size_t index) const noexcept {
    return index >= FIELD_COUNT || m_szField[index][0] == '\0';
}

const char* CNmeaFields::Field(std::size_t index) const noexcept {
    return index < FIELD_COUNT ? m_szField[index] : "";
}
