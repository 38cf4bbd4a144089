// --report DIR: a static HTML report of a suite, read from a file:// address
// in any browser (nothing fetched from elsewhere): index.html with the
// totals and one row per script, failed first; a page per script with its
// trace; the screens once each in screens/. The folder it goes into while
// the run lasts is report_folder.h's.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/result.h"
#include "program/suite.h"

namespace program::detail {

// Where the screens of the traces go.
std::filesystem::path ScreensFolder(const std::filesystem::path& report);

// Writes index.html, the scripts' pages, the style sheet and the page
// script.
platform::Result<void> WriteReport(const std::filesystem::path& folder,
                                   const std::vector<ScriptResult>& results);

}  // namespace program::detail
