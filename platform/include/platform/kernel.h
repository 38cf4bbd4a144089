// The kernel and file services of the unit, one interface per family: files
// and stream devices, serial ports, memory, threads and the debug output.
// Failures follow Win32: a BOOL or handle result plus a per-thread
// last-error code (see last_error.h), never an exception.
#pragma once

#include "platform/debug_sink.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "platform/serial.h"
#include "platform/threads.h"

namespace platform {

// What a backend implements; a part of the system or a test double that
// needs one family can be written against that family alone.
class Kernel : public Files, public SerialPorts, public Memory, public Threads, public DebugSink {};

}  // namespace platform
