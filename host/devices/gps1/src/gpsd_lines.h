// What gpsd sends a client that asked for the receiver's NMEA: one JSON
// object a line ({"class":"VERSION",...} first, then the DEVICES and WATCH
// replies and whatever else it reports) and the receiver's sentences as
// they come. The filter keeps the JSON to itself and passes the sentences
// on whole, each ending in CR LF as a serial receiver's do; a line with a
// control byte inside is no sentence.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "host/unit/line_splitter.h"

namespace host::gps1 {

class GpsdLineFilter {
  public:
    // Longer lines are dropped; gpsd's own reports stay well below.
    static constexpr std::size_t kMaxLine = 8192;

    enum class Greeting { Pending, Gpsd, Other };

    // The sentences these bytes complete. Until the first line shows gpsd's
    // VERSION banner nothing is passed on; after any other first line,
    // nothing ever is.
    std::string Feed(std::string_view bytes);

    [[nodiscard]] Greeting greeting() const { return greeting_; }
    // The start of a first line that was not gpsd's banner, as it came
    // (escape it for a report).
    [[nodiscard]] const std::string& stranger() const { return stranger_; }

    // A new connection.
    void Reset();

  private:
    unit::LineSplitter lines_{kMaxLine};
    Greeting greeting_ = Greeting::Pending;
    std::string stranger_;
};

}  // namespace host::gps1
