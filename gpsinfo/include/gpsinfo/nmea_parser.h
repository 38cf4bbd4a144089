#pragma once

// The sentence dispatcher: follows the receiver's fixed order GGA, GSA,
// GSV..., PVSNS, RMC and hands each awaited sentence to its parse operation.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "gpsinfo/gps_info.h"
#include "gpsinfo/nmea_fields.h"

class CNmeaParser {
  public:
    enum : std::int32_t {
        STATE_WAIT_GGA = 0,
        STATE_WAIT_GSA = 1,
        STATE_IN_GSV = 2,
        STATE_WAIT_PVSNS = 3,
        STATE_WAIT_RMC = 4,
    };

    // Sentence operations, in their fixed slot order. Each rebuilds the
    // field table from line[0, length) and fills `info`.
    virtual void ParseGGA(GPS_INFO& info, const char* line, std::size_t length) noexcept = 0;
    virtual void ParseGSA(GPS_INFO& info, const char* line, std::size_t length) noexcept = 0;
    virtual void ParseGSV(GPS_INFO& info, const char* line, std::size_t length) noexcept = 0;
    virtual void ParseVTG(GPS_INFO& info, const char* line, std::size_t length) noexcept = 0;
    virtual void ParseZDA(GPS_INFO& info, const char* line, std::size_t length) noexcept = 0;
    // Unused slot; does nothing.
    virtual void Reserved(GPS_INFO& info, const char* line, std::size_t length) noexcept;
    virtual void ParsePVGSA(GPS_INFO& info, const char* line, std::size_t length) noexcept = 0;
    virtual void ParsePVSNS(GPS_INFO& info, const char* line, std::size_t length) noexcept = 0;
    virtual void ParseRMC(GPS_INFO& info, const char* line, std::size_t length) noexcept = 0;
    virtual ~CNmeaParser();

    // Takes one line: `length` bytes at `line`, normally a sentence up to and
    // including its carriage return, as the line assembler cuts it from its
    // 256-byte buffer. Nothing at or past line[length] is read, and the text
    // ends early at the first carriage return, line feed or zero byte, so
    // the caller may pass the sentence alone or with its buffer's zero tail.
    // Returns true exactly when this line completed a cycle (the "$GPRMC"
    // after "$PVSNS"); `info` then holds the cycle. Lines with other tags, or
    // with known tags out of turn, change nothing and return false. A null
    // line is such a line.
    bool Dispatch(const char* line, std::size_t length, GPS_INFO& info) noexcept;
    bool Dispatch(std::string_view line, GPS_INFO& info) noexcept {
        return Dispatch(line.data(), line.size(), info);
    }

    std::int32_t GetState() const noexcept { return m_nState; }
    const CNmeaFields& GetFields() const noexcept { return m_fields; }

  protected:
    CNmeaParser() noexcept = default;
    CNmeaParser(const CNmeaParser&) noexcept = default;
    CNmeaParser& operator=(const CNmeaParser&) noexcept = default;

    std::int32_t m_nState = STATE_WAIT_GGA;
    CNmeaFields m_fields;
};
