#pragma once

// Helpers shared by the NMEA tests: running one parse operation, and
// replaying a receiver log the way the unit's driver and line assembler
// deliver it.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "gpsinfo/gps_info.h"
#include "gpsinfo/nmea_gps_info_parser.h"
#include "kestrin_tree.h"

namespace nmea_test {

using ParseOp = void (CGpsInfoParser::*)(GPS_INFO&, const char*, std::size_t) noexcept;

// A line in a heap block of exactly its size, so that a read past its end
// is caught by AddressSanitizer.
class ExactLine {
  public:
    explicit ExactLine(std::string_view text)
        : m_size(text.size()), m_bytes(std::make_unique<char[]>(text.size())) {
        text.copy(m_bytes.get(), text.size());
    }
    const char* data() const { return m_bytes.get(); }
    std::size_t size() const { return m_size; }

  private:
    std::size_t m_size;
    std::unique_ptr<char[]> m_bytes;
};

// Runs one operation over `line` (a carriage return is appended) on `info`.
inline void Feed(CGpsInfoParser& parser, ParseOp op, GPS_INFO& info, std::string_view line) {
    const ExactLine exact(std::string(line) + "\r");
    (parser.*op)(info, exact.data(), exact.size());
}

inline GPS_INFO RunFresh(ParseOp op, std::string_view line) {
    CGpsInfoParser parser;
    GPS_INFO info{};
    Feed(parser, op, info, line);
    return info;
}

inline std::string ReadTestFile(const std::string& relative) {
    std::ifstream in(std::string(KESTRIN_TESTDATA_DIR) + "/" + relative, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

// The sensor sentence the logged receivers never send, and what it yields.
inline constexpr std::string_view kPvsnsLine = "$PVSNS,S,,-2.5,1013.2,,,1,0*00";
inline constexpr char kPvsnsStatus = 'S';
inline constexpr std::int16_t kPvsnsGradient = -25;
inline constexpr std::uint16_t kPvsnsPressure = 10132;

// A log as the unit's driver would deliver it: CR LF line ends, and a
// "$PVSNS" line before every "$GPRMC".
inline std::string UnitStream(const std::string& log) {
    std::string stream;
    for (const std::string& line : SplitLines(log)) {
        if (line.starts_with("$GPRMC")) {
            stream.append(kPvsnsLine).append("\r\n");
        }
        stream.append(line).append("\r\n");
    }
    return stream;
}

// Cuts `bytes` into lines as the window's line assembler does (a carriage
// return ends a line and belongs to it; a line feed or zero byte drops what
// was gathered; 256 bytes without one end the chunk) and hands each line to
// `onLine(const char*, std::size_t)`.
template <typename OnLine>
void AssembleLines(std::string_view bytes, OnLine onLine) {
    constexpr std::size_t kLineBuffer = 256;
    char line[kLineBuffer] = {};
    std::size_t pos = 0;
    for (const char c : bytes) {
        if (c == '\n' || c == '\0') {
            pos = 0;
            continue;
        }
        line[pos++] = c;
        if (c == '\r') {
            onLine(static_cast<const char*>(line), pos);
            std::fill(std::begin(line), std::end(line), '\0');
            pos = 0;
        } else if (pos == kLineBuffer) {
            return;
        }
    }
}

// A satellite entry as GSV fills it (status 0).
struct Sat {
    std::uint8_t number;
    std::uint8_t elevation;
    std::uint16_t azimuth;
    std::uint8_t level;
};

inline void ExpectSats(const GPS_INFO& info, const std::array<Sat, GPS_SAT_MAX>& expected,
                       const char* what) {
    for (std::size_t i = 0; i < GPS_SAT_MAX; ++i) {
        const GPS_SAT_INFO& s = info.sat[i];
        EXPECT_EQ(s.bSatNo, expected[i].number) << what << " entry " << i;
        EXPECT_EQ(s.bElevation, expected[i].elevation) << what << " entry " << i;
        EXPECT_EQ(s.wAzimuth, expected[i].azimuth) << what << " entry " << i;
        EXPECT_EQ(s.bLevel, expected[i].level) << what << " entry " << i;
        EXPECT_EQ(s.bStatus, 0) << what << " entry " << i;
    }
}

// Every record completed while replaying `log` (a file under testdata/).
inline std::vector<GPS_INFO> ReplayCycles(const std::string& log) {
    std::vector<GPS_INFO> cycles;
    CGpsInfoParser parser;
    GPS_INFO info{};
    AssembleLines(UnitStream(ReadTestFile(log)), [&](const char* line, std::size_t length) {
        if (parser.Dispatch(line, length, info)) {
            cycles.push_back(info);
            info = GPS_INFO{};
        }
    });
    return cycles;
}

}  // namespace nmea_test
