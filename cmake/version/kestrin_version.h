// The version of the programs, for their --version; the packages carry the
// same one (cmake/version/write_version.cmake says how it is made).
#pragma once

#include <string>
#include <string_view>

namespace kestrin {

// "0.2.0" for the release's own commit, "0.2.0+git276.dbf3354" for a later
// one, with "-dirty" when the tree had changes not committed.
std::string_view Version();

// "NAME 0.2.0+git276.dbf3354" and a newline.
std::string VersionLine(std::string_view program);

}  // namespace kestrin
