// Fresh folders: in the system's temporary folder the tour's screenshots
// and the files of a suite's workers, beside a report the report being
// written.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace program {

// <base>/<prefix>XXXXXX, made new (never one that was there), only its
// owner's when private; nullopt when none can be made.
std::optional<std::filesystem::path> MakeFolderIn(const std::filesystem::path& base,
                                                  std::string_view prefix, bool ownerOnly);

// <the system's temporary folder>/<prefix>XXXXXX, made new and only its
// owner's; nullopt when none can be made.
std::optional<std::filesystem::path> MakeTempFolder(std::string_view prefix);

// kestrin-tour-XXXXXX
inline std::optional<std::filesystem::path> MakeTourFolder() {
    return MakeTempFolder("kestrin-tour-");
}

}  // namespace program
