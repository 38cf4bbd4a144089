// The suite driver: which scripts a command line names, running each, the
// verdict line, the JUnit report that CI systems read and the evidence of
// failed scripts.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "script/script.h"
#include "script/script_runner.h"

namespace program {

// The scripts named by files and folders: a file as it is, a folder as every
// `*.ks` and `*.script` directly in it, sorted by name; a script named twice
// runs once. False with every reason (a name that is neither, a folder that
// holds none) in *errors.
bool CollectScripts(const std::vector<std::filesystem::path>& names,
                    std::vector<std::filesystem::path>* scripts, std::vector<std::string>* errors);

// The deepest folder that holds every script (absolute).
std::filesystem::path CommonFolder(const std::vector<std::filesystem::path>& scripts);

struct ScriptResult {
    std::filesystem::path file;  // as given or found
    std::string className;       // ClassName: its folder within the run
    bool passed = false;
    std::chrono::duration<double> time{};
    std::string failure;  // the first failure, "FILE:LINE: command: why"
    std::string output;   // everything the run wrote about itself
};

// "N passed, M failed"
std::string Verdict(const std::vector<ScriptResult>& results);

// Writes a JUnit XML report: one test suite, one test case per script with
// its time, failure message and output. False with the reason on failure.
bool WriteJUnit(const std::filesystem::path& file, const std::vector<ScriptResult>& results,
                std::string* error);

// Reads every script the names give (CollectScripts), all before anything
// runs. False after every reason (a missing name, a malformed line, an
// empty script) is written to err.
bool LoadScripts(const std::vector<std::filesystem::path>& names, std::ostream& err,
                 std::vector<script::Script>* scripts);

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

// How a suite runs and what it reports.
struct SuiteOptions {
    std::optional<std::filesystem::path> junit;      // --junit FILE: the JUnit report
    std::optional<std::filesystem::path> artifacts;  // --artifacts DIR: evidence of failures
    bool updateScreens = false;                      // --update-screens
};

// Runs the scripts one after the other through runOne, each one's output to
// err as it comes, then writes the verdict line to out and the report.
// screenshot: the screen at the end (one script). Returns the exit status:
// kExitPassed, kExitFailed when any failed (or the report could not be
// written), kExitMalformed when one could not run.
int RunSuite(std::vector<script::Script> scripts, const SuiteOptions& options,
             const std::optional<std::filesystem::path>& screenshot, const RunOne& runOne,
             std::ostream& out, std::ostream& err);

// Where one script's artifacts go inside the artifacts folder: its path
// relative to the run's common folder ("ver.ks", "app/tests/ver.ks"), so
// that no two scripts of a run share one.
std::filesystem::path ArtifactFolder(const std::filesystem::path& script,
                                     const std::filesystem::path& common);

// JUnit's classname of a script: its folder relative to the run's common
// folder, or the common folder's own name for a script directly in it.
std::string ClassName(const std::filesystem::path& script, const std::filesystem::path& common);

}  // namespace program
