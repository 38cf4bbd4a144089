#include "gpsinfo/nmea_parser.h"

#include <cstring>

namespace {

constexpr std::size_t kTagLength = 6;

bool HasTag(const char* line, std::size_t length, const char (&tag)[kTagLength + 1]) noexcept {
    return length >= kTagLength && std::memcmp(line, tag, kTagLength) == 0;
}

constexpr bool IsLineEnd(char c) noexcept {
    return c == '\r' || c == '\n' || c == '\0';
}

// "$GPGSV,n,i,...": the group ends with the sentence whose message number
// (character 9) equals the message count (character 7). A line too short to
// hold both never ends it.
bool EndsGsvGroup(const char* line, std::size_t length) noexcept {
    constexpr std::size_t kCount = 7;
    constexpr std::size_t kNumber = 9;
    if (length <= kNumber) {
        return false;
    }
    for (std::size_t i = kTagLength; i <= kNumber; ++i) {
        if (IsLineEnd(line[i])) {
            return false;
        }
    }
    return line[kCount] == line[kNumber];
}

}  // namespace

CNmeaParser::~CNmeaParser() = default;

void CNmeaParser::Reserved(GPS_INFO& /*info*/, const char* /*line*/,
                           std::size_t /*length*/) noexcept {}

bool CNmeaParser::Dispatch(const char* line, std::size_t length, GPS_INFO& info) noexcept {
    if (line == nullptr) {
        return false;
    }
    switch (m_nState) {
        case STATE_WAIT_GGA:
            if (HasTag(line, length, "$GPGGA")) {
                ParseGGA(info, line, length);
                m_nState = STATE_WAIT_GSA;
            }
            return false;
        case STATE_WAIT_GSA:
            if (HasTag(line, length, "$GPGSA")) {
                ParseGSA(info, line, length);
                m_nState = STATE_IN_GSV;
            }
            return false;
        case STATE_IN_GSV:
            if (HasTag(line, length, "$GPGSV")) {
                ParseGSV(info, line, length);
                if (EndsGsvGroup(line, length)) {
                    m_nState = STATE_WAIT_PVSNS;
                }
            } else if (HasTag(line, length, "$PVSNS")) {
                ParsePVSNS(info, line, length);
                m_nState = STATE_WAIT_RMC;
            }
            return false;
        case STATE_WAIT_PVSNS:
            if (HasTag(line, length, "$PVSNS")) {
                ParsePVSNS(info, line, length);
                m_nState = STATE_WAIT_RMC;
            }
            return false;
        case STATE_WAIT_RMC:
            if (HasTag(line, length, "$GPRMC")) {
                ParseRMC(info, line, length);
                m_nState = STATE_WAIT_GGA;
                return true;
            }
            return false;
        default:
            return false;
    }
}
