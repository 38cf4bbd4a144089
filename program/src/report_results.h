// The results a report keeps beside its pages (DIR/results.kestrin), so
// that the reports of a suite's shards can be merged into one and a later
// run can read the scripts' times and failures back. Its format is in
// program/README.md ("The report's results").
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"
#include "program/suite.h"

namespace program::detail {

// The file's name in the report's folder.
inline constexpr std::string_view kReportResults = "results.kestrin";

std::string ReportResultsText(const std::vector<ScriptResult>& results);
// Fills results (passed, error, time, failure, output, trace, earlier runs,
// place, file and class name), every picture a file name in the report's
// screens/; named: the file, for the reason.
platform::Result<void> ParseReportResults(std::string_view text, const std::string& named,
                                          std::vector<ScriptResult>* results);
// The results of the report in folder; the reason names the file when it
// is missing or damaged.
platform::Result<void> ReadReportResults(const std::filesystem::path& folder,
                                         std::vector<ScriptResult>* results);

// How a script is known across runs: its path as given, shown as JUnit's
// `file` shows it.
std::string ScriptKey(const std::filesystem::path& file);

// The scripts' times in seconds by ScriptKey, from a JUnit file (each
// testcase's file and time) or a report's results (the file, or the
// report's folder).
platform::Result<std::map<std::string, double>> ReadDurations(const std::filesystem::path& file);

}  // namespace program::detail
