#include "host/default_unit.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
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
        const std::filesystem::file_status toml = std::filesystem::status(place / "unit.toml", ec);
        // A unit that is there but cannot be read is said so, not looked past:
        // a package built under a narrow umask, a folder of another user's.
        if (ec && ec != std::errc::no_such_file_or_directory && ec != std::errc::not_a_directory) {
            return {std::nullopt, "cannot read " + place.string() + ": " + ec.message()};
        }
        if (std::filesystem::is_regular_file(toml)) {
            for (const auto& [path, mode] :
                 {std::pair{place, R_OK | X_OK}, std::pair{place / "unit.toml", R_OK}}) {
                if (::faccessat(AT_FDCWD, path.c_str(), mode, AT_EACCESS) != 0) {
                    return {std::nullopt,
                            "cannot read " + path.string() + ": " + std::strerror(errno)};
                }
            }
            return {place, {}};
        }
        looked += (looked.empty() ? "" : ", ") + place.string();
    }
    if (places.empty()) {
        return {std::nullopt, "no default unit: the program cannot tell where it is"};
    }
    return {std::nullopt, "no default unit (looked in " + looked + ")"};
}

std::optional<std::string> WhyReadOnly(const std::filesystem::path& dir) {
    std::error_code ec;
    const std::filesystem::path real = std::filesystem::weakly_canonical(dir, ec);
    if (!ec) {
        const std::filesystem::path prefix =
            real.parent_path().parent_path().parent_path().parent_path();
        if (real == prefix / "share" / "kestrin" / "units" / "default" &&
            (std::filesystem::exists(prefix / "bin" / "kestrin", ec) ||
             std::filesystem::exists(prefix / "bin" / "gps", ec))) {
            return "installed with the programs";
        }
    }
    for (const std::filesystem::path& path : {dir, dir / "fs", dir / "registry.reg"}) {
        if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0 && errno != ENOENT) {
            return std::strerror(errno);
        }
    }
    return std::nullopt;
}

}  // namespace host
