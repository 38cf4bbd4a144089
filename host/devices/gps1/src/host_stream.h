// Bytes from the host: a serial device with a real receiver on it, set up
// with termios, or the program's standard input, each read by a
// host::unit::HostStreamReader.
#pragma once

#include <cstdint>
#include <string>

#include "host/unit/host_stream_reader.h"
#include "host/unit/unique_fd.h"

namespace host::gps1 {

using unit::UniqueFd;

// The speed constant of a baud rate, or false for one termios lacks.
bool IsSupportedBaud(std::int64_t baud);

// Opens a serial device for reading in raw mode at `baud`. Devices that are
// not terminals (a FIFO, a pseudo-device) are taken as they are. On failure
// the result is invalid and *error holds errno.
UniqueFd OpenSerial(const std::string& path, std::uint32_t baud, int* error);

using unit::DuplicateStdin;
using unit::HostStreamReader;

}  // namespace host::gps1
