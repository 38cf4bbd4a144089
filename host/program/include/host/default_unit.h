// Where a host program finds the unit it runs on when it is given none, from
// its own place on disk: nothing of the build machine's folders is compiled
// in, so an installed tree can be moved anywhere.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace host {

// The running program's own file, from /proc/self/exe; empty when the
// system does not say.
std::filesystem::path ExecutablePath();

// The folders looked at, in order, for a program at `executable`: the
// installed unit (../share/kestrin/units/default from the program's folder),
// then units/default beside the program (the build tree's link to the
// source tree's units/).
std::vector<std::filesystem::path> DefaultUnitPlaces(const std::filesystem::path& executable);

struct FoundUnit {
    std::optional<std::filesystem::path> dir;
    std::string error;  // when dir is empty: every place looked at
};

// The first of DefaultUnitPlaces that holds a unit.toml; one that is there
// but cannot be read ends the search ("cannot read DIR: Permission denied").
FoundUnit FindDefaultUnit(const std::filesystem::path& executable);

// Why the unit in `dir` must not be run in place, nullopt when it may: it is
// the default unit of an installed tree (<prefix>/share/kestrin/units/default
// beside <prefix>/bin's programs: a package's folder, which even root must
// not write into, so that removing the package leaves nothing behind), or
// this user cannot write it (the system's reason, "Permission denied").
std::optional<std::string> WhyReadOnly(const std::filesystem::path& dir);

}  // namespace host
