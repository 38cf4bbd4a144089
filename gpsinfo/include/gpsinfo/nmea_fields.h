#pragma once

// The comma-separated fields of one NMEA sentence, in a fixed table.

#include <cstddef>

class CNmeaFields {
  public:
    static constexpr std::size_t FIELD_COUNT = 40;
    // Bytes per field, including the terminating zero byte.
    static constexpr std::size_t FIELD_SIZE = 20;

    CNmeaFields() noexcept;

    // Rebuilds the table from line[0, length): field 0 is the tag, field i
    // the text between the i-th and the (i+1)-th comma. Stops at the first
    // carriage return, line feed or zero byte. A field keeps its first
    // FIELD_SIZE - 1 characters; fields after the FIELD_COUNT-th are dropped.
    // A null line reads as empty.
    void Split(const char* line, std::size_t length) noexcept;

    // True when field `index` holds no characters (also for an index past
    // the table).
    bool IsEmpty(std::size_t index) const noexcept {
        return index >= FIELD_COUNT || m_szField[index][0] == '\0';
    }

    // The zero-terminated text of field `index`; "" for an index past the
    // table. The returned buffer is FIELD_SIZE bytes, zero after the text.
    const char* Field(std::size_t index) const noexcept {
        return index < FIELD_COUNT ? m_szField[index] : "";
    }

  private:
    char m_szField[FIELD_COUNT][FIELD_SIZE]{};
    // Fields that may hold text; the rest are known to be all zero.
    std::size_t m_nUsed = 0;
};
