// --merge-reports: the reports of a suite's shards as one, written by the
// report's and JUnit's own writers from the results each report kept.
#include <algorithm>
#include <map>

#include "html_report.h"
#include "program/interrupt.h"
#include "program/suite.h"
#include "report_folder.h"
#include "report_results.h"
#include "script/run_options.h"
#include "script/utf8_path.h"
#include "suite_outputs.h"
#include "whole_file.h"
#include "xml_text.h"

namespace program {

namespace {

using script::kExitFailed;
using script::kExitMalformed;
using script::kExitPassed;

std::string Named(const std::filesystem::path& p) {
    return detail::Shown(script::Utf8FromPath(p));
}

// The pictures a script's traces show (its earlier runs' too), by their
// names in screens/.
std::vector<std::string> PicturesOf(const ScriptResult& r) {
    std::vector<std::string> names;
    const auto add = [&](const std::vector<TraceStep>& trace) {
        for (const TraceStep& step : trace) {
            for (const std::string* name :
                 {&step.screen, &step.reference, &step.actual, &step.difference}) {
                if (!name->empty()) {
                    names.push_back(*name);
                }
            }
        }
    };
    add(r.trace);
    for (const Attempt& a : r.retried) {
        add(a.trace);
    }
    return names;
}

}  // namespace

int MergeReports(const std::filesystem::path& into, const std::vector<std::filesystem::path>& from,
                 const std::optional<std::filesystem::path>& junit, std::ostream& out,
                 std::ostream& err) {
    std::vector<ScriptResult> results;
    // Where each picture comes from (pictures are named by their pixels:
    // one of a name is one picture, whichever report holds it).
    std::map<std::string, std::filesystem::path> pictures;
    std::map<std::string, std::filesystem::path> reportOf;
    for (const std::filesystem::path& folder : from) {
        std::vector<ScriptResult> read;
        if (platform::Result<void> got = detail::ReadReportResults(folder, &read); !got) {
            err << "kestrin: --merge-reports " << got.error() << '\n';
            return kExitMalformed;
        }
        for (ScriptResult& r : read) {
            const std::string key = detail::ScriptKey(r.file);
            if (const auto [at, added] = reportOf.emplace(key, folder); !added) {
                err << "kestrin: --merge-reports: " << key << " is in the reports "
                    << Named(at->second) << " and " << Named(folder)
                    << " (a shard merged twice, or run twice): merge each shard's report once\n";
                return kExitMalformed;
            }
            for (const std::string& name : PicturesOf(r)) {
                const std::filesystem::path file = detail::ScreensFolder(folder) / name;
                std::error_code ec;
                if (!std::filesystem::is_regular_file(file, ec)) {
                    err << "kestrin: --merge-reports " << Named(file) << ": missing (the trace of "
                        << key << " shows it)\n";
                    return kExitMalformed;
                }
                pictures.emplace(name, file);
            }
            results.push_back(std::move(r));
        }
    }
    // One run's order: each shard keeps its scripts' places in the whole run.
    std::ranges::stable_sort(results, [](const ScriptResult& a, const ScriptResult& b) {
        return a.place != b.place ? a.place < b.place
                                  : detail::ScriptKey(a.file) < detail::ScriptKey(b.file);
    });

    detail::ReportFolder report;
    if (const platform::Result<void> prepared = report.Prepare(into); !prepared) {
        err << "kestrin: --merge-reports " << prepared.error() << '\n';
        return kExitMalformed;
    }
    const std::filesystem::path screens = detail::ScreensFolder(report.Staging());
    for (const auto& [name, file] : pictures) {
        std::error_code ec;
        std::filesystem::copy_file(file, screens / name, ec);
        if (ec) {
            err << "kestrin: --merge-reports " << Named(file) << ": cannot be copied into "
                << Named(into) << ": " << ec.message() << '\n';
            return kExitFailed;
        }
    }
    if (platform::Result<void> written = detail::WriteReport(report.Staging(), results); !written) {
        err << "kestrin: " << written.error() << '\n';
        return kExitFailed;
    }
    const std::filesystem::path kept = report.Staging() / std::string(detail::kReportResults);
    if (!detail::WriteWholeFile(kept, detail::ReportResultsText(results))) {
        err << "kestrin: " << Named(kept) << ": cannot write the report's results\n";
        return kExitFailed;
    }

    int status = std::ranges::all_of(results, &ScriptResult::passed) ? kExitPassed : kExitFailed;
    out << Verdict(results) << " (" << from.size() << (from.size() == 1 ? " report" : " reports")
        << " merged)\n";
    out.flush();
    // Both reports go in place whole, or neither when the merge is interrupted.
    return detail::WriteSuiteOutputs(junit, results, &report, status, err);
}

}  // namespace program
