// How a suite runs and what it reports, as the command line sets it.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace program {

// --shard K/N: the K-th of N slices of the suite, K from 1.
struct Shard {
    int k = 1;
    int n = 1;
};

// --timeout's default: ten minutes of wall time for a script.
inline constexpr std::chrono::milliseconds kDefaultTimeout{600000};

// How a suite runs and what it reports.
struct SuiteOptions {
    std::optional<std::filesystem::path> junit;      // --junit FILE: the JUnit report
    std::optional<std::filesystem::path> artifacts;  // --artifacts DIR: evidence of failures
    bool updateScreens = false;                      // --update-screens
    std::optional<std::filesystem::path> report;     // --report DIR: the HTML report
    bool trace = false;                              // --trace: passing scripts' traces too
    int jobs = 1;                                    // --jobs N: scripts at a time
    std::optional<Shard> shard;                      // --shard K/N
    // --durations FILE: the scripts' times of an earlier run (JUnit or a
    // report's results), by which --shard splits the suite.
    std::optional<std::filesystem::path> durations;
    // --last-failed FILE|DIR: only the scripts that failed in the run of a
    // report's results (the file, or the report's folder).
    std::optional<std::filesystem::path> lastFailed;
    // --retries N: a failed script runs again, up to N times, each on a
    // fresh copy of its unit; one that then passes is flaky.
    int retries = 0;
    bool failOnFlaky = false;  // --fail-on-flaky: a flaky script fails the run
    // --repeat-each N: each script runs N times, and every run must give
    // the first's trace.
    int repeatEach = 1;
    // --timeout MS: a script's wall time, from its start to its end; zero:
    // no limit.
    std::chrono::milliseconds timeout = kDefaultTimeout;
    // A worker process of a suite: runs the scripts of the list the suite
    // left in this folder as it is handed them, and hands back each result.
    std::optional<std::filesystem::path> worker;
    // The program's arguments as given, for its workers; without them the
    // scripts run one at a time.
    std::vector<std::string> commandLine;
};

}  // namespace program
