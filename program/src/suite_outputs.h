// The end of a suite or a merge: the JUnit file and the report's commit,
// each written whole unless an interrupt came first.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <vector>

#include "program/suite.h"

namespace program::detail {

class ReportFolder;

// Writes the JUnit file when one is asked for and commits report when it
// is given; each failure is said on err and makes the status kExitFailed.
// Returns the status, status itself when both went well.
int WriteSuiteOutputs(const std::optional<std::filesystem::path>& junit,
                      const std::vector<ScriptResult>& results, ReportFolder* report, int status,
                      std::ostream& err);

}  // namespace program::detail
