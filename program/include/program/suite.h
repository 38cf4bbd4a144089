// The suite driver: which scripts a command line names, running each, the
// verdict line, the JUnit report that CI systems read and the evidence of
// failed scripts.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/result.h"
#include "program/suite_options.h"
#include "script/run_options.h"
#include "script/script.h"

namespace program {

// The scripts named by files and folders: a file as it is, a folder as every
// `*.ks` and `*.script` directly in it (in any case: `.KS` too), sorted by
// name; a script named twice runs once. False with every reason (a name that
// is neither, one that is not a regular file, a folder that holds none) in
// *errors.
bool CollectScripts(const std::vector<std::filesystem::path>& names,
                    std::vector<std::filesystem::path>* scripts, std::vector<std::string>* errors);

// The deepest folder that holds every script (absolute).
std::filesystem::path CommonFolder(const std::vector<std::filesystem::path>& scripts);

// One command of a script's trace, as the report shows it.
struct TraceStep {
    int line = 0;
    std::string command;       // as written
    std::string failure;       // empty: it held or ran
    std::uint64_t unitMs = 0;  // the unit's clock as it ended
    double wallMs = 0;         // how long it took on the wall clock
    // Pictures are files of the report's screens/ folder; empty: none.
    std::string screen;                     // the screen after it
    std::vector<std::string> debugLines;    // the unit's, since the command before
    std::vector<std::string> messageBoxes;  // that came on top since then
    std::string reference;                  // a failed `expect screen`: the three pictures
    std::string actual;
    std::string difference;
    ui::Rect area;                // what those pictures show, on the screen
    std::vector<ui::Rect> masks;  // left out of that comparison, on the screen
    std::string windows;          // a failed step: the windows and controls then, as JSON
    // What crossed the unit's devices while it ran, in words ("351 ms COM7:
    // read ...: reply ..."), and how many such lines were left out of it.
    std::vector<std::string> traffic;
    std::size_t trafficLeftOut = 0;
};

// An earlier run of a script that failed, and that --retries ran again.
struct Attempt {
    std::chrono::duration<double> time{};
    std::string failure;  // "FILE:LINE: command: why"
    std::string output;   // what that run wrote about itself
    bool traced = false;  // its trace was kept (--report)
    std::vector<TraceStep> trace;
    std::size_t screensLeftOut = 0;
};

struct ScriptResult {
    std::filesystem::path file;  // as given or found
    std::string className;       // ClassName: its folder within the run
    bool passed = false;
    // It came to no verdict of its own: its worker process died with it.
    bool error = false;
    std::chrono::duration<double> time{};
    std::string failure;  // the first failure, "FILE:LINE: command: why"
    std::string output;   // everything the run wrote about itself
    bool traced = false;  // the trace was kept (--report: a failed script, or --trace)
    std::vector<TraceStep> trace;
    // Steps of the trace whose screen was left out (a script keeps its most
    // recent distinct screens and its failure's).
    std::size_t screensLeftOut = 0;
    // Its place among the run's scripts before --shard took its slice, so
    // that merged shards come in one run's order.
    std::size_t place = 0;
    // The runs before the last (--retries), in order: each failed. The
    // result's own fields are the last run's, but its time and output are
    // those of all of them.
    std::vector<Attempt> retried;
    // It passed only on a retry.
    [[nodiscard]] bool Flaky() const { return passed && !retried.empty(); }
};

// "N passed, M failed", then ", F flaky" when scripts passed only on a
// retry (not among the N) and ", K errors" when scripts came to no verdict.
std::string Verdict(const std::vector<ScriptResult>& results);

// The status the results give: kExitFailed when a script failed or came to
// no verdict, or (failOnFlaky) passed only on a retry; else kExitPassed.
int SuiteStatus(const std::vector<ScriptResult>& results, bool failOnFlaky);

// Writes a JUnit XML report: one test suite, one test case per script with
// its time, failure message and output; a script run again (--retries) as
// Maven Surefire writes a rerun test: a flaky one passes with a
// <flakyFailure> per failed run, one that failed every run has the first
// run's <failure> and a <rerunFailure> per run after it. The reason on
// failure.
platform::Result<void> WriteJUnit(const std::filesystem::path& file,
                                  const std::vector<ScriptResult>& results);

// A script of a suite: its file, as given or found, and what was read from
// it (named for messages as ShownName shows the file).
struct SuiteScript {
    std::filesystem::path file;
    script::Script script;
};

// Reads every script the names give (CollectScripts), all before anything
// runs. False after every reason (a missing name, a malformed line, an
// empty script) is written to err.
bool LoadScripts(const std::vector<std::filesystem::path>& names, std::ostream& err,
                 std::vector<SuiteScript>* scripts);

// How a script file is named in messages, on the terminal and in reports:
// control characters, bytes that are not UTF-8 and the characters that
// reorder text (U+202A to U+202E, U+2066 to U+2069) shown as \xHH, so
// that a name can neither break a line nor disguise itself.
std::string ShownName(const std::filesystem::path& file);

// How one script of a suite ended: kExitPassed, kExitFailed (failure says
// why), or kExitMalformed when it could not run at all (the unit did not
// load): that ends the suite.
struct RunOutcome {
    int status = script::kExitPassed;
    std::string failure;
};

// Runs one script with the runner's options; what it writes about itself
// goes to log.
using RunOne = std::function<RunOutcome(script::Script script, const script::RunnerOptions& options,
                                        std::ostream& log)>;

// Whether a script (its path relative to the run's common folder) is in the
// K-th of N slices: by a hash of that path, so that its slice depends on
// nothing else.
bool InShard(const std::filesystem::path& relative, const Shard& shard);

// The slice (0 to n - 1) of each script, by time: those with a measured
// time (seconds; nullopt: none) longest first, ties by their relative
// path, each to the slice with the least time yet (of equal times the one
// with fewer scripts, then the first);
// the others by InShard's hash. It depends only on its inputs, so every
// shard of a matrix computes the same split alone.
std::vector<int> SlicesByTime(const std::vector<std::filesystem::path>& relative,
                              const std::vector<std::optional<double>>& seconds, int n);

// Runs the scripts through runOne, each one's output to err in their order,
// then writes the verdict line to out and the reports. A suite (workers:
// true) runs in --jobs worker processes of the program, which are handed
// the scripts one by one and are replaced when they die; otherwise the
// scripts run in this process, one at a time. screenshot: the screen at the
// end (one script). Returns the exit status: kExitPassed, kExitFailed when
// any failed (or a report could not be written), kExitMalformed when one
// could not run or a report cannot be written where asked.
int RunSuite(std::vector<SuiteScript> scripts, const SuiteOptions& options, bool workers,
             const std::optional<std::filesystem::path>& screenshot, const RunOne& runOne,
             std::ostream& out, std::ostream& err);

// --merge-reports OUT DIR...: one report in OUT of the reports of a
// suite's shards (and, with junit, one JUnit file): every script once, in
// one run's order. A report without its results, damaged results, a
// picture missing or a script in two of the reports is refused with status
// 2 before anything is written. Returns kExitPassed, or kExitFailed when
// any script failed (or a report could not be written).
int MergeReports(const std::filesystem::path& into, const std::vector<std::filesystem::path>& from,
                 const std::optional<std::filesystem::path>& junit, std::ostream& out,
                 std::ostream& err);

// A worker process of a suite (options.worker): runs the scripts it is
// handed on its standard input (screenshot: as RunSuite's, for a suite of
// one script). Returns its exit status.
int RunSuiteWorker(const SuiteOptions& options,
                   const std::optional<std::filesystem::path>& screenshot, const RunOne& runOne,
                   std::ostream& err);

// A script's path relative to the run's common folder ("ver.ks",
// "app/tests/ver.ks"): its artifacts folder inside DIR (no two scripts of a
// run share one) and what --shard hashes.
std::filesystem::path PathInRun(const std::filesystem::path& script,
                                const std::filesystem::path& common);

// JUnit's classname of a script: its folder relative to the run's common
// folder, or the common folder's own name for a script directly in it.
std::string ClassName(const std::filesystem::path& script, const std::filesystem::path& common);

}  // namespace program
