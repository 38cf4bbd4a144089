// The exit statuses of the programs (kestrin, gps and the host's helpers) on
// every backend, in one list.
#pragma once

namespace platform {

// kestrin: the run ended well (every script passed); gps: the driver was
// switched.
inline constexpr int kExitSuccess = 0;
// kestrin: a script failed; gps: the switch failed or its command line is
// wrong.
inline constexpr int kExitFailure = 1;
// kestrin: bad arguments, a script that cannot run, or a unit that cannot
// be loaded.
inline constexpr int kExitUsage = 2;
// Ended by a signal: 128 + its number, as a shell reports it.
inline constexpr int kExitSignalBase = 128;
// Ended by an interrupt (Ctrl+C; SIGINT on Linux, the console's events on a
// PC).
inline constexpr int kExitInterrupted = kExitSignalBase + 2;

}  // namespace platform
