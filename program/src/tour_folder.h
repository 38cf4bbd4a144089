// Fresh folders: in the system's temporary folder the tour's screenshots
// and the files of a suite's workers, beside a report the report being
// written (platform/temp_folder.h makes them).
#pragma once

#include <filesystem>

#include "platform/temp_folder.h"

namespace program {

using platform::MakeFolderIn;
using platform::MakeTempFolder;

// kestrin-tour-XXXXXX
inline platform::Result<std::filesystem::path> MakeTourFolder() {
    return MakeTempFolder("kestrin-tour-");
}

}  // namespace program
