// The tuner module on the far end of a host terminal, on the wall clock:
// what arrives on the terminal goes to the module, and its frames go out
// when they are due. With a pseudo-terminal this stands in for the module on
// a bench without one: the console (a unit's `[com] device`, or wine's COM7)
// opens the other end.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

#include "host/com7/tuner_module.h"
#include "host/unit/unique_fd.h"

namespace host::com7 {

struct ServerOptions {
    // Replies (not RDS groups) go out this much later than the module has
    // them ready: a slow module, for tests that wait for an answer.
    std::chrono::milliseconds replyDelay{0};
};

class ModuleServer {
  public:
    // Serves the module on fd (a terminal or a pseudo-terminal's master side)
    // from a thread of its own until destroyed.
    ModuleServer(unit::UniqueFd fd, const ModuleConfig& config, ServerOptions options = {});
    ~ModuleServer();
    ModuleServer(const ModuleServer&) = delete;
    ModuleServer& operator=(const ModuleServer&) = delete;

    // Bytes taken from the line and frames sent, so far.
    [[nodiscard]] std::uint64_t BytesReceived() const { return received_.load(); }
    [[nodiscard]] std::uint64_t FramesSent() const { return sent_.load(); }

  private:
    void Run();

    unit::UniqueFd fd_;
    unit::UniqueFd wake_;
    TunerModule module_;
    ServerOptions options_;
    std::atomic<std::uint64_t> received_{0};
    std::atomic<std::uint64_t> sent_{0};
    std::thread thread_;  // last: joined before the rest goes
};

// A pseudo-terminal in raw mode: its master side, and in *slavePath the
// device the other party opens. Invalid with errno in *error on failure.
unit::UniqueFd OpenPseudoTerminal(std::string* slavePath, int* error);

// A serial device opened for the module: raw, 38400 baud 8N1. Invalid with
// errno in *error on failure.
unit::UniqueFd OpenModuleLine(const std::string& path, int* error);

}  // namespace host::com7
