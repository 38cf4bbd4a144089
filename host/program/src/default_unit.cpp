#include "host/default_unit.h"

#include <system_error>

namespace host {

std::filesystem::path ExecutablePath() {
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : self;
}

std::vector<std::filesystem::path> DefaultUnitPlaces(const std::filesystem::path& executable) {
    if (executable.empty()) {
        return {};
    }
    const std::filesystem::path folder = executable.parent_path();
    return {(folder / ".." / "share" / "kestrin" / "units" / "default").lexically_normal(),
            folder / "units" / "default"};
}

FoundUnit FindDefaultUnit(const std::filesystem::path& executable) {
    const std::vector<std::filesystem::path> places = DefaultUnitPlaces(executable);
    std::string looked;
    for (const std::filesystem::path& place : places) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(place / "unit.toml", ec)) {
            return {place, {}};
        }
        looked += (looked.empty() ? "" : ", ") + place.string();
    }
    if (places.empty()) {
        return {std::nullopt, "no default unit: the program cannot tell where it is"};
    }
    return {std::nullopt, "no default unit (looked in " + looked + ")"};
}

}  // namespace host
