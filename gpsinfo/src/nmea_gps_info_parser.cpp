#include "gpsinfo/nmea_gps_info_parser.h"

#include <cstring>

#include "arc_units.h"
#include "gpsinfo/nmea_day_of_week.h"
#include "gpsinfo/nmea_number.h"

using nmea::kMsPerDegree;
using nmea::kMsPerMinute;
using nmea::LowBits;
using nmea::ToDouble;
using nmea::ToDoublePrefix;
using nmea::ToInt;
using nmea::ToIntPrefix;
using nmea::Truncate;

namespace {

// Where the unit believes it is when the receiver sends no position:
// 35d 37m 14.000s N, 139d 44m 10.000s W.
constexpr std::int32_t kDefaultLatitude = 128'234'000;
constexpr std::int32_t kDefaultLongitude = 503'050'000;
constexpr std::int16_t kDefaultHeight = 100;

// Date shown until the receiver knows one: 01/03/2003.
constexpr std::uint16_t kDefaultYear = 2003;
constexpr std::uint8_t kDefaultRmcMonth = 3;
constexpr std::uint8_t kDefaultZdaMonth = 1;
constexpr std::uint8_t kDefaultDay = 1;

// Minutes keep seven characters ("mm.mmmm"); further decimals are dropped.
constexpr std::size_t kMinuteChars = 7;
constexpr std::size_t kLatitudeDegreeChars = 2;
constexpr std::size_t kLongitudeDegreeChars = 3;

constexpr double kKmPerNauticalMile = 1.852;
constexpr double kDopCapValue = 12.7;
// The last GSA field carries the checksum: only its first four characters
// ("d.dd" at most) count.
constexpr std::size_t kVdopChars = 4;
// The last GSV group carries the checksum: the level keeps two characters.
constexpr std::size_t kLevelChars = 2;

constexpr std::size_t kGsvGroups = 4;

// Milliseconds of arc of "dd[d]mm.mmmm"; wraps to 32 bits like the record's field.
std::int32_t ArcMs(const char* text, std::size_t degreeChars) noexcept {
    const std::int64_t degrees = ToIntPrefix(text, degreeChars);
    const double minutes = ToDoublePrefix(text + degreeChars, kMinuteChars);
    return LowBits<std::int32_t>(degrees * kMsPerDegree + Truncate(minutes * kMsPerMinute));
}

// A number in tenths, truncated.
std::int32_t Tenths(const char* text) noexcept {
    return Truncate(ToDouble(text) * 10.0);
}

// A dilution of precision in tenths, held at GPS_DOP_CAP from 12.7 upwards.
std::uint8_t Dop(double value) noexcept {
    if (value > kDopCapValue) {
        return GPS_DOP_CAP;
    }
    return LowBits<std::uint8_t>(Truncate(value * 10.0));
}

std::int8_t Precision2(const CNmeaFields& fields, std::size_t index) noexcept {
    constexpr std::int8_t kCap = 127;
    if (fields.IsEmpty(index)) {
        return kCap;
    }
    const double value = ToDouble(fields.Field(index));
    if (value > kDopCapValue) {
        return kCap;
    }
    return LowBits<std::int8_t>(Truncate(value * 10.0));
}

struct Position {
    std::int32_t arcMs;
    char hemisphere;
};

// A latitude or longitude field and the hemisphere after it; the fallback
// when the field is empty.
void Coordinate(const CNmeaFields& fields, std::size_t index, std::size_t degreeChars,
                Position fallback, std::int32_t& arcMs, char& hemisphere) noexcept {
    if (fields.IsEmpty(index)) {
        arcMs = fallback.arcMs;
        hemisphere = fallback.hemisphere;
        return;
    }
    arcMs = ArcMs(fields.Field(index), degreeChars);
    hemisphere = fields.Field(index + 1)[0];
}

template <typename T>
T IntOr(const CNmeaFields& fields, std::size_t index, T fallback) noexcept {
    return fields.IsEmpty(index) ? fallback : LowBits<T>(ToInt(fields.Field(index)));
}

}  // namespace

CGpsInfoParser::~CGpsInfoParser() = default;

void CGpsInfoParser::ParseGGA(GPS_INFO& info, const char* line, std::size_t length) noexcept {
    m_fields.Split(line, length);

    Coordinate(m_fields, 2, kLatitudeDegreeChars, {kDefaultLatitude, 'N'}, info.lLatitude,
               info.cLatitudeHemisphere);
    Coordinate(m_fields, 4, kLongitudeDegreeChars, {kDefaultLongitude, 'W'}, info.lLongitude,
               info.cLongitudeHemisphere);

    info.sHeight = m_fields.IsEmpty(9)
                       ? kDefaultHeight
                       : LowBits<std::int16_t>(Truncate(ToDouble(m_fields.Field(9))));

    info.bSatUsed = IntOr<std::uint8_t>(m_fields, 7, 0);
    info.bSatUsed2 = info.bSatUsed;
}

void CGpsInfoParser::ParseGSA(GPS_INFO& info, const char* line, std::size_t length) noexcept {
    m_fields.Split(line, length);

    for (std::size_t k = 0; k < GPS_SAT_MAX; ++k) {
        info.bFixSat[k] = IntOr<std::uint8_t>(m_fields, 3 + k, 0);
    }
    info.bFixMode = IntOr<std::uint8_t>(m_fields, 2, 0);

    info.bPDOP = m_fields.IsEmpty(15) ? GPS_DOP_NONE : Dop(ToDouble(m_fields.Field(15)));
    info.bHDOP = m_fields.IsEmpty(16) ? GPS_DOP_NONE : Dop(ToDouble(m_fields.Field(16)));

    const char* vdop = m_fields.Field(17);
    info.bVDOP =
        (vdop[0] == '\0' || vdop[0] == '*') ? GPS_DOP_NONE : Dop(ToDoublePrefix(vdop, kVdopChars));
}

void CGpsInfoParser::ParseGSV(GPS_INFO& info, const char* line, std::size_t length) noexcept {
    m_fields.Split(line, length);

    // Every group uses up an entry, even one without a satellite number, so
    // only the first two sentences of a group reach the table.
    for (std::size_t g = 0; g < kGsvGroups && m_nSatIndex < GPS_SAT_MAX; ++g) {
        const std::size_t number = 4 + 4 * g;
        if (!m_fields.IsEmpty(number)) {
            GPS_SAT_INFO& sat = info.sat[m_nSatIndex];
            sat.bSatNo = LowBits<std::uint8_t>(ToInt(m_fields.Field(number)));
            sat.bElevation = IntOr<std::uint8_t>(m_fields, number + 1, 0);
            sat.wAzimuth = IntOr<std::uint16_t>(m_fields, number + 2, 0);
            sat.bStatus = 0;
            sat.bLevel =
                (info.bSatUsed == 0 || m_fields.IsEmpty(number + 3))
                    ? 0
                    : LowBits<std::uint8_t>(ToIntPrefix(m_fields.Field(number + 3), kLevelChars));
        }
        ++m_nSatIndex;
    }
}

void CGpsInfoParser::ParseVTG(GPS_INFO& info, const char* line, std::size_t length) noexcept {
    m_fields.Split(line, length);
    m_nSatIndex = 0;
    info.wCourse = m_fields.IsEmpty(1) ? 0 : LowBits<std::uint16_t>(Tenths(m_fields.Field(1)));
    info.wSpeed = m_fields.IsEmpty(7) ? 0 : LowBits<std::uint16_t>(Tenths(m_fields.Field(7)));
}

void CGpsInfoParser::ParseZDA(GPS_INFO& info, const char* line, std::size_t length) noexcept {
    m_fields.Split(line, length);
    info.wYear = IntOr<std::uint16_t>(m_fields, 4, kDefaultYear);
    info.bMonth = IntOr<std::uint8_t>(m_fields, 3, kDefaultZdaMonth);
    info.bDay = IntOr<std::uint8_t>(m_fields, 2, kDefaultDay);
    SetWeekDay(info);
    SetTime(info, 1);
}

void CGpsInfoParser::Reserved(GPS_INFO& /*info*/, const char* /*line*/,
                              std::size_t /*length*/) noexcept {}

void CGpsInfoParser::ParsePVGSA(GPS_INFO& info, const char* line, std::size_t length) noexcept {
    constexpr std::size_t kFirstSat = 2;
    constexpr std::size_t kPrecision = 14;
    constexpr std::size_t kStatus = 19;

    m_fields.Split(line, length);

    info.cMode2 = IntOr<std::int8_t>(m_fields, 1, 0);
    if (info.cMode2 > 1) {
        for (std::size_t k = 0; k < GPS_SAT_MAX; ++k) {
            const int prn =
                m_fields.IsEmpty(kFirstSat + k) ? 0 : ToInt(m_fields.Field(kFirstSat + k));
            if (prn == 0) {
                continue;
            }
            for (GPS_SAT_INFO& sat : info.sat) {
                if (sat.bSatNo == prn) {
                    sat.bStatus = GPS_SAT_STATUS_LISTED;
                    break;
                }
            }
        }
    }

    info.cPrecision2[0] = Precision2(m_fields, kPrecision);
    info.cPrecision2[1] = Precision2(m_fields, kPrecision + 1);

    if (!m_fields.IsEmpty(kStatus)) {
        info.cSensorStatus = m_fields.Field(kStatus)[0];
    }
}

void CGpsInfoParser::ParsePVSNS(GPS_INFO& info, const char* line, std::size_t length) noexcept {
    m_fields.Split(line, length);
    // The sentence closes the satellite list of this cycle.
    m_nSatIndex = 0;

    if (!m_fields.IsEmpty(1)) {
        info.cSensorStatus = m_fields.Field(1)[0];
    }
    info.wPressure = m_fields.IsEmpty(4) ? 0 : LowBits<std::uint16_t>(Tenths(m_fields.Field(4)));
    info.sGradient =
        m_fields.IsEmpty(3) ? std::int16_t{0} : LowBits<std::int16_t>(Tenths(m_fields.Field(3)));
    info.bDRStatus = IntOr<std::uint8_t>(m_fields, 7, 0);
    info.bCradle = IntOr<std::uint8_t>(m_fields, 8, 0);
}

void CGpsInfoParser::ParseRMC(GPS_INFO& info, const char* line, std::size_t length) noexcept {
    constexpr std::int64_t kCentury = 2000;

    m_fields.Split(line, length);

    if (m_fields.IsEmpty(9)) {
        info.bDay = kDefaultDay;
        info.bMonth = kDefaultRmcMonth;
        info.wYear = kDefaultYear;
    } else {
        const char* date = m_fields.Field(9);
        info.bDay = LowBits<std::uint8_t>(ToIntPrefix(date, 2));
        info.bMonth = LowBits<std::uint8_t>(ToIntPrefix(date + 2, 2));
        info.wYear = LowBits<std::uint16_t>(kCentury + ToIntPrefix(date + 4, 2));
    }
    SetWeekDay(info);
    SetTime(info, 1);

    info.wCourse = m_fields.IsEmpty(8) ? 0 : LowBits<std::uint16_t>(Tenths(m_fields.Field(8)));
    info.wSpeed = m_fields.IsEmpty(7)
                      ? 0
                      : LowBits<std::uint16_t>(
                            Truncate(ToDouble(m_fields.Field(7)) * kKmPerNauticalMile * 10.0));
}

void CGpsInfoParser::SetWeekDay(GPS_INFO& info) const noexcept {
    const int index = DayOfWeek(info.wYear, info.bMonth, info.bDay);
    info.bDayOfWeek = static_cast<std::uint8_t>(index);
    info.szDayOfWeek = {};
    std::memcpy(info.szDayOfWeek.data(), DAY_OF_WEEK_NAME[index], 3);
}

// "hhmmss[.sss]": the fraction is ignored.
void CGpsInfoParser::SetTime(GPS_INFO& info, std::size_t field) const noexcept {
    if (m_fields.IsEmpty(field)) {
        info.bHour = 0;
        info.bMinute = 0;
        info.bSecond = 0;
        return;
    }
    const char* time = m_fields.Field(field);
    info.bHour = LowBits<std::uint8_t>(ToIntPrefix(time, 2));
    info.bMinute = LowBits<std::uint8_t>(ToIntPrefix(time + 2, 2));
    info.bSecond = LowBits<std::uint8_t>(ToIntPrefix(time + 4, 2));
}
