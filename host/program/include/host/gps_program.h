// The host program `gps on|off NAME [--unit DIR]`: the driver switch on a
// unit directory. Its message boxes are written to the error stream as
// "Error: <text>"; the exit status is the tool's.
#pragma once

#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

namespace host {

// arguments: after the program's name. unitFromEnv: KESTRIN_UNIT_DIR when
// set. Without either unit the usage is printed and the status is 1: the
// tool never changes the repository's default unit.
int RunGps(std::span<const std::string_view> arguments, std::optional<std::string> unitFromEnv,
           std::ostream& err);

// The usage line, ending in a newline.
std::string GpsUsage();

}  // namespace host
