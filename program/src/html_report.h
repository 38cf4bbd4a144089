// --report DIR: a static HTML report of a suite, read from a file:// address
// in any browser (nothing fetched from elsewhere): index.html with the
// totals and one row per script, failed first; a page per script with its
// trace; the screens once each in screens/.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "program/suite.h"

namespace program::detail {

// The report's folder made ready before the scripts run: made when it is
// missing, emptied when it holds an earlier report. False with the reason
// when it holds anything else (a report never deletes what is not its own).
bool PrepareReportFolder(const std::filesystem::path& folder, std::string* error);

// Where the screens of the traces go.
std::filesystem::path ScreensFolder(const std::filesystem::path& report);

// Writes index.html, the scripts' pages, the style sheet and the page
// script. False with the reason.
bool WriteReport(const std::filesystem::path& folder, const std::vector<ScriptResult>& results,
                 std::string* error);

}  // namespace program::detail
