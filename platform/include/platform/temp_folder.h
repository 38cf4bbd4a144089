// Fresh folders for what a run keeps only while it runs (a unit's copy, the
// tour's screenshots, a suite's results), in the system's temporary folder:
// on Linux $TMPDIR when it is set and not empty (as coreutils takes it),
// else /tmp; on Windows the folder GetTempPath names.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// <temporary folder>/<prefix>XXXXXX, made new (never one that was there) and
// only its owner's. nullopt when none can be made, with the reason in *error
// when given, naming the folder, where it came from and the system's word:
// "cannot make a temporary folder in /nonexistent (TMPDIR): No such file or
// directory". A relative TMPDIR is refused: it would depend on the working
// folder.
std::optional<std::filesystem::path> MakeTempFolder(std::string_view prefix,
                                                    std::string* error = nullptr);

// <base>/<prefix>XXXXXX, made new (never one that was there), only its
// owner's when ownerOnly. nullopt when none can be made, with the system's
// reason in *error when given.
std::optional<std::filesystem::path> MakeFolderIn(const std::filesystem::path& base,
                                                  std::string_view prefix, bool ownerOnly,
                                                  std::string* error = nullptr);

}  // namespace platform
