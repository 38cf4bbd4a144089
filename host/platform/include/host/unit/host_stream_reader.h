// Bytes from a host file descriptor (a serial device, a pipe, standard
// input), read on a thread of its own and handed to a sink as they come. It
// is not one of the unit's counted threads: when bytes come is up to the
// outside world, not to the unit's clock.
#pragma once

#include <functional>
#include <string_view>
#include <thread>

#include "host/unit/unique_fd.h"

namespace host::unit {

// A duplicate of standard input, or invalid.
UniqueFd DuplicateStdin();

class HostStreamReader {
  public:
    using Sink = std::function<void(std::string_view)>;
    using End = std::function<void()>;

    // Starts reading fd at once; the reader ends at end of input, on a read
    // error (then `end`, when given, is called on the reader's thread) or
    // when destroyed.
    HostStreamReader(UniqueFd fd, Sink sink, End end = {});
    ~HostStreamReader();
    HostStreamReader(const HostStreamReader&) = delete;
    HostStreamReader& operator=(const HostStreamReader&) = delete;

  private:
    void Run();

    UniqueFd fd_;
    UniqueFd wake_;  // eventfd that ends the poll
    Sink sink_;
    End end_;
    std::thread thread_;
};

}  // namespace host::unit
