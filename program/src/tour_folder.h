// Fresh folders: in the system's temporary folder the tour's screenshots
// and the files of a suite's workers, beside a report the report being
// written (platform/temp_folder.h makes them).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/temp_folder.h"

namespace program {

using platform::MakeFolderIn;
using platform::MakeTempFolder;

// kestrin-tour-XXXXXX
inline std::optional<std::filesystem::path> MakeTourFolder(std::string* error) {
    return MakeTempFolder("kestrin-tour-", error);
}

}  // namespace program
