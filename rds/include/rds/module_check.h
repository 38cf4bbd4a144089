// The RDS module check's work on the port, without its window: asks the
// module for its version and gives the result text. It configures the line
// and the read time-outs itself; the window opens and closes the port.
#pragma once

#include <atomic>
#include <string>

#include "platform/win_types.h"
#include "rds/serial_port.h"

// RdsReceiveThread's body. `hPort` is the window's port handle, read again
// for every call so that a port the window closes fails the next read.
// Reads up to 10 bytes at a time; frames may be split across reads or share
// one, and anything before the version reply is skipped. Ends at the version
// reply, at a read that brings nothing, or at a failed read or write.
std::string RunRdsModuleCheck(RdsSerialPort& port, const std::atomic<platform::HANDLE>& hPort);
