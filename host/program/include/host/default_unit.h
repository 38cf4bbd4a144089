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

// The first of DefaultUnitPlaces that holds a unit.toml.
FoundUnit FindDefaultUnit(const std::filesystem::path& executable);

}  // namespace host
