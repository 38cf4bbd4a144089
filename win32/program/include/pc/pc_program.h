// kestrin.exe: the console on a PC's own Win32 API, in a native window,
// under a script, or on the tour of its pages when no window can be made.
#pragma once

#include <ostream>

#include "pc/pc_options.h"

namespace pc {

// Runs the program; returns its exit status. Notes go to out, errors to err.
int RunPcKestrin(const PcOptions& options, std::ostream& out, std::ostream& err);

}  // namespace pc
