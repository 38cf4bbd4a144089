// The release of the programs, for their --version.
#pragma once

#include <string>
#include <string_view>

namespace kestrin {

// "0.2.0": the version of project() in the top CMakeLists.txt.
std::string_view Version();

// The short commit the build was made from; empty outside a git checkout.
std::string_view GitCommit();

// "NAME 0.2.0 (git 1a2b3c4)", or "NAME 0.2.0" without a commit, and a newline.
std::string VersionLine(std::string_view program);

}  // namespace kestrin
