// The pieces of a suite's run that its two ways of running share (the
// scripts one at a time in this process, or handed to worker processes):
// one script's run with its evidence and trace, the files a worker leaves
// for each script as it goes, and the time limit's words.
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include "program/suite.h"
#include "script_progress.h"

namespace program::detail {

// What every script of a run shares.
struct SuiteRun {
    const SuiteOptions& options;
    const std::optional<std::filesystem::path>& screenshot;
    const RunOne& runOne;
    std::filesystem::path common;
    std::filesystem::path screens;  // the report's screens; empty: no report
};

// What a worker leaves for the i-th script as it runs it, in the run's
// folder: the script's output as it comes, its progress, its last screen
// (for --artifacts and --report), and then its result; the number of the
// run it is on when it runs again (--retries, --repeat-each).
struct ScriptFiles {
    std::filesystem::path output;
    std::filesystem::path progress;
    std::filesystem::path screen;
    std::filesystem::path result;
    std::filesystem::path attempt;
};
ScriptFiles FilesOf(const std::filesystem::path& folder, std::size_t i);

// How one script runs: in a worker (files: where its progress goes, echo:
// its output file) or in this process (files: nullptr; echo: the program's
// error stream, and a watchdog ends the program past the script's limit).
struct ScriptRun {
    const ScriptFiles* files = nullptr;
    std::ostream* echo = nullptr;
};

// Runs one script: its output to echo as it comes and into the result, its
// evidence and its trace kept; what the program says about it besides to
// notes. A failed one runs again up to --retries times, each run on a
// fresh session. *status: how it ended.
ScriptResult RunScript(const SuiteScript& s, const SuiteRun& run, const ScriptRun& how,
                       std::ostream& notes, int* status);

// The time a script past its limit has to end by itself before its worker
// (or, in this process, the program) is ended.
std::chrono::milliseconds Grace(std::chrono::milliseconds limit);

// "FILE:LINE: command: past the script's time limit of 600 s" for the
// command the run is on (or the script alone before its first).
std::string PastLimit(const std::string& name, const std::optional<CommandAt>& at,
                      std::chrono::milliseconds limit);

// The evidence of a script that did not end by itself (its worker died or
// was ended), kept from what its run left as it went: the screen, debug
// lines and output in --artifacts, the trace to the line it was on, ending
// with failure, in the report. What could not be kept is said in notes.
void KeepLeftEvidence(const SuiteRun& run, const ScriptFiles& files, const Progress& progress,
                      const std::string& failure, ScriptResult* result, std::string* notes);

}  // namespace program::detail
