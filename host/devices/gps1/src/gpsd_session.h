// One connection's conversation with gpsd, without the socket: the bytes
// gpsd sends go in, and out comes what the client does next. gpsd greets
// with its VERSION banner; the client then asks for the receiver's
// sentences (kGpsdWatch) once and passes them on as they come. A first
// line that is not the banner ends the session.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "gpsd_lines.h"

namespace host::gps1 {

// What a client asks gpsd for.
inline constexpr std::string_view kGpsdWatch = "?WATCH={\"enable\":true,\"nmea\":true}\n";

class GpsdSession {
  public:
    struct Step {
        bool askToWatch = false;  // send kGpsdWatch now (once a session)
        std::string sentences;    // whole lines ending in CR LF, to pass on
        // Why the session cannot go on (it is not gpsd), shown escaped.
        std::optional<std::string> failure;
    };

    Step Feed(std::string_view bytes);

    // The watch has been asked for.
    [[nodiscard]] bool Watching() const { return watching_; }
    // Some sentence has been passed on.
    [[nodiscard]] bool Delivered() const { return delivered_; }

  private:
    GpsdLineFilter filter_;
    bool watching_ = false;
    bool delivered_ = false;
    bool failed_ = false;
};

}  // namespace host::gps1
