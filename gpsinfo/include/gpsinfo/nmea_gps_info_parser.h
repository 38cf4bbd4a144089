#pragma once

// The parser of the GPS information window: turns the receiver's sentences
// into GPS_INFO.

#include <cstddef>
#include <cstdint>

#include "gpsinfo/gps_info.h"
#include "gpsinfo/nmea_parser.h"

class CGpsInfoParser : public CNmeaParser {
  public:
    CGpsInfoParser() noexcept = default;
    CGpsInfoParser(const CGpsInfoParser&) noexcept = default;
    CGpsInfoParser& operator=(const CGpsInfoParser&) noexcept = default;

    void ParseGGA(GPS_INFO& info, const char* line, std::size_t length) noexcept override;
    void ParseGSA(GPS_INFO& info, const char* line, std::size_t length) noexcept override;
    void ParseGSV(GPS_INFO& info, const char* line, std::size_t length) noexcept override;
    void ParseVTG(GPS_INFO& info, const char* line, std::size_t length) noexcept override;
    void ParseZDA(GPS_INFO& info, const char* line, std::size_t length) noexcept override;
    void Reserved(GPS_INFO& info, const char* line, std::size_t length) noexcept override;
    void ParsePVGSA(GPS_INFO& info, const char* line, std::size_t length) noexcept override;
    void ParsePVSNS(GPS_INFO& info, const char* line, std::size_t length) noexcept override;
    void ParseRMC(GPS_INFO& info, const char* line, std::size_t length) noexcept override;
    ~CGpsInfoParser() override;

    // Entry of the satellite table that the next GSV group fills.
    std::uint8_t GetSatIndex() const noexcept { return m_nSatIndex; }

  private:
    // Date and time of RMC and ZDA once year, month and day are known.
    void SetWeekDay(GPS_INFO& info) const noexcept;
    void SetTime(GPS_INFO& info, std::size_t field) const noexcept;

    std::uint8_t m_nSatIndex = 0;
};
