// Arbitrary bytes through the NMEA parser: cut into lines as the GPS
// window's line assembler does, handed to one dispatcher in order and to
// every sentence operation directly; the whole input split as one line; the
// number conversions compared with the C library.

#include <bit>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "gpsinfo/gps_info.h"
#include "gpsinfo/nmea_day_of_week.h"
#include "gpsinfo/nmea_fields.h"
#include "gpsinfo/nmea_gps_info_parser.h"
#include "gpsinfo/nmea_number.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void CheckFields(const CNmeaFields& fields) {
    for (std::size_t i = 0; i < CNmeaFields::FIELD_COUNT; ++i) {
        const char* text = fields.Field(i);
        const std::size_t length = std::strlen(text);
        Check(length < CNmeaFields::FIELD_SIZE);
        Check(std::strpbrk(text, ",\r\n") == nullptr);
        Check(fields.IsEmpty(i) == (length == 0));
    }
}

void CheckRecord(const GPS_INFO& info) {
    Check(info.bDayOfWeek < 7);
    Check(std::memcmp(info.szDayOfWeek.data(), DAY_OF_WEEK_NAME[info.bDayOfWeek], 4) == 0);
}

// The conversions must give the C library's results on any text.
void CheckConversions(const char* bytes, std::size_t size) {
    char text[20] = {};
    std::memcpy(text, bytes, size < 19 ? size : 19);
    Check(std::bit_cast<std::uint64_t>(nmea::ToDouble(text)) ==
          std::bit_cast<std::uint64_t>(std::strtod(text, nullptr)));
    long expected = std::strtol(text, nullptr, 10);
    expected = expected > INT_MAX ? INT_MAX : expected < INT_MIN ? INT_MIN : expected;
    Check(nmea::ToInt(text) == expected);
    for (std::size_t k = 0; k <= 8; ++k) {
        char prefix[20] = {};
        std::memcpy(prefix, text, k);
        Check(std::bit_cast<std::uint64_t>(nmea::ToDoublePrefix(text, k)) ==
              std::bit_cast<std::uint64_t>(std::strtod(prefix, nullptr)));
    }
}

using Operation = void (CNmeaParser::*)(GPS_INFO&, const char*, std::size_t) noexcept;
constexpr Operation kOperations[] = {
    &CNmeaParser::ParseGGA,   &CNmeaParser::ParseGSA,   &CNmeaParser::ParseGSV,
    &CNmeaParser::ParseVTG,   &CNmeaParser::ParseZDA,   &CNmeaParser::Reserved,
    &CNmeaParser::ParsePVGSA, &CNmeaParser::ParsePVSNS, &CNmeaParser::ParseRMC,
};

struct Session {
    CGpsInfoParser dispatcher;
    GPS_INFO record{};
    CGpsInfoParser direct;
    GPS_INFO scratch{};

    // Each line in a block of exactly its length, so that a read past it is
    // caught.
    void Line(const char* bytes, std::size_t length) {
        const auto line = std::make_unique<char[]>(length == 0 ? 1 : length);
        std::memcpy(line.get(), bytes, length);
        if (dispatcher.Dispatch(line.get(), length, record)) {
            CheckRecord(record);
            record = GPS_INFO{};
        }
        CNmeaParser& parser = direct;
        for (const Operation op : kOperations) {
            (parser.*op)(scratch, line.get(), length);
        }
        CheckFields(direct.GetFields());
        Check(direct.GetSatIndex() <= GPS_SAT_MAX);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);

    CNmeaFields whole;
    whole.Split(bytes, size);
    CheckFields(whole);
    CheckConversions(bytes, size);

    Session session;
    constexpr std::size_t kLineBuffer = 256;
    char line[kLineBuffer] = {};
    std::size_t pos = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const char c = bytes[i];
        if (c == '\n' || c == '\0') {
            pos = 0;
            continue;
        }
        line[pos++] = c;
        if (c == '\r') {
            session.Line(line, pos);
            pos = 0;
        } else if (pos == kLineBuffer) {
            break;
        }
    }
    // A line without its carriage return, as a caller may also pass one.
    session.Line(line, pos);
    return 0;
}
