// Bytes from the host: a serial device with a real receiver on it, set up
// with termios, or the program's standard input. A reader thread of its own
// hands every read to a sink. It is not one of the unit's counted threads:
// when bytes come is up to the outside world, not to the unit's clock.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

#include "unit/unique_fd.h"

namespace gps1 {

using unit::UniqueFd;

// The speed constant of a baud rate, or false for one termios lacks.
bool IsSupportedBaud(std::int64_t baud);

// Opens a serial device for reading in raw mode at `baud`. Devices that are
// not terminals (a FIFO, a pseudo-device) are taken as they are. On failure
// the result is invalid and *error holds errno.
UniqueFd OpenSerial(const std::string& path, std::uint32_t baud, int* error);

// A duplicate of standard input, or invalid.
UniqueFd DuplicateStdin();

class HostStreamReader {
  public:
    using Sink = std::function<void(std::string_view)>;

    // Starts reading fd at once; the reader ends at end of input, on a read
    // error or when destroyed.
    HostStreamReader(UniqueFd fd, Sink sink);
    ~HostStreamReader();
    HostStreamReader(const HostStreamReader&) = delete;
    HostStreamReader& operator=(const HostStreamReader&) = delete;

  private:
    void Run();

    UniqueFd fd_;
    UniqueFd wake_;  // eventfd that ends the poll
    Sink sink_;
    std::thread thread_;
};

}  // namespace gps1
