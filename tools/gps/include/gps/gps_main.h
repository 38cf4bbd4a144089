// The driver switch: "on NAME" loads the driver of "Drivers\BuiltIn\NAME",
// "off NAME" unloads the one recorded under "Drivers\Active\NAME", both under
// HKEY_LOCAL_MACHINE. Failures the user can act on are message boxes with
// the caption "Error"; the result is the program's exit status
// (platform/exit_status.h).
#pragma once

#include <string_view>

namespace gps {

// Runs the tool on the part of the command line after the program's name,
// through the installed platform registry, kernel and prompt.
int GpsMain(std::string_view commandLine);

}  // namespace gps
