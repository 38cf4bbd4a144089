// A whole file of the host that a unit names (an NMEA track, an RDS
// capture): a FIFO, a device or a folder named where a file belongs is
// refused unread, since opening or reading a FIFO waits for a writer. The
// kind is checked before the open and again on what was opened, so a file
// swapped for a FIFO in between is refused too.
#pragma once

#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>

namespace host::unit {

// The file's bytes into *bytes; empty, or why it cannot be read ("a FIFO,
// not a file", "larger than 16 MiB", the system's reason).
std::string ReadRegularFile(const std::filesystem::path& path, std::string* bytes,
                            std::uintmax_t most = std::numeric_limits<std::uintmax_t>::max());

}  // namespace host::unit
