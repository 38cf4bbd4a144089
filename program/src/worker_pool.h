// A suite's scripts in worker processes of the program: the suite hands
// each worker the next script of its own list (by its place in the list,
// on the worker's standard input) as soon as the worker is free, reads the
// result back and checks that it is the script's, writes each script's
// output once those before it are written (the one in front as it comes),
// replaces a worker that dies while others run, ends one whose script is
// past its time limit, and says once what the workers say besides.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "program/suite.h"
#include "suite_run.h"
#include "worker_process.h"

namespace program::detail {

// Starts one worker, its output and errors into log; the reason when it cannot.
using StartWorker = std::function<platform::Result<std::unique_ptr<WorkerProcess>>(
    const std::filesystem::path& log)>;

// Runs the scripts in --jobs workers that start writes into folder (which
// holds the run's list, and where each worker leaves its scripts' files:
// FilesOf). The results in the scripts' order; returns the exit status
// (kExitMalformed: a script could not run, and the run stopped).
int RunInWorkers(const std::vector<SuiteScript>& scripts, const SuiteRun& run,
                 const std::filesystem::path& folder, const StartWorker& start,
                 std::vector<ScriptResult>* results, std::ostream& err);

// The same with workers of this program, in a folder of their own in the
// system's temporary folder (theirs too: a worker's copies of the unit go
// there), removed when the run ends or is interrupted, or by a later run
// when this one could not.
int RunInWorkerProcesses(const std::vector<SuiteScript>& scripts, const SuiteRun& run,
                         std::vector<ScriptResult>* results, std::ostream& err);

}  // namespace program::detail
