// Fresh folders in the system's temporary folder: the tour's screenshots,
// the results of a suite's workers.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace program {

// <the system's temporary folder>/<prefix>XXXXXX, made new (never one that
// was there) and only its owner's; nullopt when none can be made, with the
// reason in *error (platform::MakeTempFolder).
std::optional<std::filesystem::path> MakeTempFolder(std::string_view prefix, std::string* error);

// kestrin-tour-XXXXXX
inline std::optional<std::filesystem::path> MakeTourFolder(std::string* error) {
    return MakeTempFolder("kestrin-tour-", error);
}

}  // namespace program
