// The unit's own receiver sends "$PVSNS" with its sensor readings in every
// cycle; standard receivers and their logs do not. The driver makes one up
// from the unit's configured sensor values and puts it before each "$GPRMC"
// of a stream that lacks it, so that the cycle completes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace host::gps1 {

struct SensorValues {
    std::int32_t pressureTenths = 10132;  // 0.1 hPa
    std::int32_t gradientTenths = 0;      // 0.1 degree, signed
    bool deadReckoning = true;
    bool cradle = true;
};

// The two upper-case hex digits of the XOR of every byte of a sentence
// between '$' and '*' (body holds exactly those bytes).
std::string NmeaChecksum(std::string_view body);

// "$PVSNS,A,,<gradient>,<pressure>,,,<dr>,<cradle>*hh\r\n".
std::string BuildPvsns(const SensorValues& values);

// A decimal with at most one fraction digit ("1013.2", "-1.5", "7") as
// tenths; false when the text is not one.
bool ParseTenths(std::string_view text, std::int32_t* tenths);

// Passes a byte stream through, chunk by chunk, and puts a made-up "$PVSNS"
// before every "$GPRMC" that starts a line, until the stream shows a
// "$PVSNS" of its own. A tag split across chunks is recognised: up to six
// bytes at a line start are held back until they decide.
class PvsnsInserter {
  public:
    explicit PvsnsInserter(std::function<std::string()> make) : make_(std::move(make)) {}

    std::string Feed(std::string_view bytes);
    [[nodiscard]] bool SourceHasPvsns() const { return sawPvsns_; }

  private:
    void Decide(std::string& out);

    std::function<std::string()> make_;
    std::string head_;  // bytes at a line start not passed on yet
    bool atLineStart_ = true;
    bool sawPvsns_ = false;
};

}  // namespace host::gps1
