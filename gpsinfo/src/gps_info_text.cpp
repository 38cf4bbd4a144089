#include "gpsinfo/gps_info_text.h"

#include <algorithm>
#include <cstring>

#include "arc_units.h"
#include "platform/text.h"

namespace {

using nmea::kMsPerDegree;
using nmea::kMsPerMinute;
using nmea::kMsPerSecond;

constexpr int kMaxStarIndex = 14;

// A letter the receiver sent, widened like all device text. A missing letter
// (a zero byte) would end the window's text right there and hide every line
// after it, so it shows as a blank.
std::string Letter(char letter) {
    if (letter == '\0') {
        return " ";
    }
    return platform::WidenCodePage(&letter, 1);
}

struct Angle {
    int degrees;
    int minutes;
    int seconds;
    int milliseconds;
};

Angle Split(std::int32_t v) {
    const std::int32_t r = v % kMsPerDegree;
    const std::int32_t s = r % kMsPerMinute;
    return {v / kMsPerDegree, r / kMsPerMinute, s / kMsPerSecond, s % kMsPerSecond};
}

const char* Mode(std::uint8_t fixMode) {
    switch (fixMode) {
        case 2:
            return "MODE:2D fix   ";
        case 3:
            return "MODE:3D fix   ";
        default:
            return "MODE:No fix   ";
    }
}

}  // namespace

int GpsStarCount(std::uint8_t level) noexcept {
    return std::min(level / 4, kMaxStarIndex) + 1;
}

std::string FormatGpsInfo(const GPS_INFO& info) {
    const std::string dayName(info.szDayOfWeek.data(),
                              strnlen(info.szDayOfWeek.data(), info.szDayOfWeek.size()));
    std::string text = platform::Format(
        "Date(UTC):%02d/%02d/%04d (%s)   TIME:%02d:%02d:%02d\r\n", info.bDay, info.bMonth,
        info.wYear, platform::WidenCodePage(dayName.data(), dayName.size()).c_str(), info.bHour,
        info.bMinute, info.bSecond);

    const Angle lat = Split(info.lLatitude);
    text +=
        platform::Format("%s:%2dd %02dm %02d.%03ds    ", Letter(info.cLatitudeHemisphere).c_str(),
                         lat.degrees, lat.minutes, lat.seconds, lat.milliseconds);
    const Angle lon = Split(info.lLongitude);
    text +=
        platform::Format("%s:%3dd %02dm %02d.%03ds \r\n", Letter(info.cLongitudeHemisphere).c_str(),
                         lon.degrees, lon.minutes, lon.seconds, lon.milliseconds);

    text += platform::Format("Hight:%4dm   Dir:%5.1fdeg  Speed:%5.1fkm/s\r\n", info.sHeight,
                             info.wCourse * 0.1, info.wSpeed * 0.1);

    text += info.bPDOP == GPS_DOP_NONE ? std::string("PDOP:----   ")
                                       : platform::Format("PDOP:%4.1f   ", info.bPDOP * 0.1);
    text += info.bHDOP == GPS_DOP_NONE ? std::string("HDOP:----   ")
                                       : platform::Format("HDOP:%4.1f   ", info.bHDOP * 0.1);
    text += info.bVDOP == GPS_DOP_NONE ? std::string("VDOP:----\r\n")
                                       : platform::Format("VDOP:%4.1f\r\n", info.bVDOP * 0.1);

    text += platform::Format("Pres:%4.1fhPa   Grad:%4.1fdeg   DR %s   Cradle %s\r\n",
                             info.wPressure * 0.1, info.sGradient * 0.1,
                             info.bDRStatus != 0 ? "OK" : "NG", info.bCradle != 0 ? "on" : "off");

    text += Mode(info.bFixMode);
    text += platform::Format("Number of satellites:%d\r\n", info.bSatUsed);

    for (const GPS_SAT_INFO& sat : info.sat) {
        if (sat.bSatNo == 0) {
            continue;
        }
        const std::string stars(static_cast<std::size_t>(GpsStarCount(sat.bLevel)), '*');
        text += platform::Format("ID:%02d Ele:%02d Dir:%03d Level:%02d <%s>\r\n", sat.bSatNo,
                                 sat.bElevation, sat.wAzimuth, sat.bLevel, stars.c_str());
    }
    return text;
}
