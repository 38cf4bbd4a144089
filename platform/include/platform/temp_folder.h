// Fresh folders for what a run keeps only while it runs (a unit's copy, the
// tour's screenshots, a suite's results), in the system's temporary folder:
// on Linux $TMPDIR when it is set and not empty (as coreutils takes it),
// else /tmp; on Windows the folder GetTempPath names.
#pragma once

#include <filesystem>
#include <string_view>

#include "platform/result.h"

namespace platform {

// <temporary folder>/<prefix>XXXXXX, made new (never one that was there) and
// only its owner's. When none can be made, the reason, naming the folder,
// where it came from and the system's word:
// "cannot make a temporary folder in /nonexistent (TMPDIR): No such file or
// directory". A relative TMPDIR is refused: it would depend on the working
// folder.
Result<std::filesystem::path> MakeTempFolder(std::string_view prefix);

// <base>/<prefix>XXXXXX, made new (never one that was there), only its
// owner's when ownerOnly; the system's reason when none can be made.
Result<std::filesystem::path> MakeFolderIn(const std::filesystem::path& base,
                                           std::string_view prefix, bool ownerOnly);

}  // namespace platform
