// Running a suite: each script on its own (one at a time, or with --jobs in
// worker processes of this program), the output in the scripts' order, the
// verdict and the reports.
#include <condition_variable>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <thread>

#include "html_report.h"
#include "program/suite.h"
#include "result_file.h"
#include "script/utf8_path.h"
#include "tee_stream.h"
#include "tour_folder.h"
#include "trace_collector.h"
#include "worker_process.h"

namespace program {

namespace {

using script::kExitFailed;
using script::kExitMalformed;
using script::kExitPassed;

// The files a failed run of a script leaves in its artifacts folder.
bool IsEvidence(const std::filesystem::path& file) {
    const std::string name = script::Utf8FromPath(file.filename());
    return name == "screen.png" || name == "debug.txt" || name == "output.txt" ||
           name.ends_with(".actual.png") || name.ends_with(".diff.png");
}

// Takes away what an earlier run of the script left in its folder, so that
// the evidence of a script that now passes does not stay.
void ClearEvidence(const std::filesystem::path& folder) {
    std::error_code ec;
    if (!std::filesystem::is_directory(std::filesystem::symlink_status(folder, ec))) {
        return;
    }
    std::vector<std::filesystem::path> stale;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (entry.is_regular_file(ec) && IsEvidence(entry.path())) {
            stale.push_back(entry.path());
        }
    }
    for (const std::filesystem::path& file : stale) {
        std::filesystem::remove(file, ec);
    }
    if (std::filesystem::is_empty(folder, ec)) {
        std::filesystem::remove(folder, ec);
    }
}

// What every script of a run shares.
struct SuiteRun {
    const SuiteOptions& options;
    const std::optional<std::filesystem::path>& screenshot;
    const RunOne& runOne;
    std::filesystem::path common;
};

// Runs one script: its output to echo as it comes (when there is one) and
// into the result, its evidence and its trace kept. *status: how it ended.
ScriptResult RunScript(script::Script s, const SuiteRun& run, std::ostream* echo, std::ostream& err,
                       int* status) {
    const auto started = std::chrono::steady_clock::now();
    ScriptResult result;
    result.file = script::PathFromUtf8(s.name);
    result.className = ClassName(result.file, run.common);
    script::RunnerOptions runnerOptions;
    runnerOptions.finalScreenshot = run.screenshot.value_or(std::filesystem::path());
    runnerOptions.updateScreens = run.options.updateScreens;
    if (run.options.artifacts) {
        runnerOptions.artifactsFolder = *run.options.artifacts / PathInRun(result.file, run.common);
        ClearEvidence(runnerOptions.artifactsFolder);
    }
    detail::TraceCollector trace;
    if (run.options.report) {
        runnerOptions.observer = &trace;
    }
    std::ostringstream captured;
    RunOutcome outcome;
    if (echo != nullptr) {
        detail::TeeStream log(*echo, captured);
        outcome = run.runOne(std::move(s), runnerOptions, log);
    } else {
        outcome = run.runOne(std::move(s), runnerOptions, captured);
    }
    *status = outcome.status;
    result.passed = outcome.status == kExitPassed;
    result.failure = outcome.failure;
    result.time = std::chrono::steady_clock::now() - started;
    result.output = captured.str();
    if (outcome.status == kExitMalformed) {
        return result;
    }
    if (!result.passed && !runnerOptions.artifactsFolder.empty()) {
        const std::filesystem::path file = runnerOptions.artifactsFolder / "output.txt";
        std::ofstream output(file, std::ios::binary | std::ios::trunc);
        output << result.output;
        output.close();
        if (!output) {
            err << "kestrin: " << script::Utf8FromPath(file) << ": cannot write\n";
        }
    }
    if (run.options.report && (!result.passed || run.options.trace)) {
        std::string error;
        if (trace.Keep(detail::ScreensFolder(*run.options.report), &result.trace, &error)) {
            result.traced = true;
        } else {
            err << "kestrin: " << error << '\n';
            *status = kExitFailed;
        }
    }
    return result;
}

std::string ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A script that ran in a worker: what it handed back, or what is known of
// a worker that ended without a result.
struct Finished {
    ScriptResult result;
    int status = kExitFailed;
};

// One worker per script, at most --jobs at a time; each script's output is
// written once those of the scripts before it are. Stops starting scripts
// after one that could not run at all.
int RunInWorkers(std::vector<script::Script> scripts, const SuiteRun& run,
                 std::vector<ScriptResult>* results, std::ostream& err) {
    const std::optional<std::filesystem::path> self = detail::SelfPath();
    const std::optional<std::filesystem::path> folder = MakeTempFolder("kestrin-suite-");
    if (!self || !folder) {
        err << "kestrin: cannot start workers for --jobs: "
            << (self ? "no temporary folder" : "the program's own file is unknown") << '\n';
        return kExitMalformed;
    }
    const std::size_t count = scripts.size();
    std::vector<std::optional<Finished>> done(count);
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::thread> waiting;
    std::size_t running = 0;
    std::size_t next = 0;
    std::size_t written = 0;
    bool stop = false;
    int status = kExitPassed;

    auto start = [&](std::size_t i) {
        const std::filesystem::path result = *folder / (std::to_string(i) + ".result");
        const std::filesystem::path log = *folder / (std::to_string(i) + ".log");
        std::vector<std::string> arguments = run.options.commandLine;
        arguments.emplace_back("--suite-worker");
        arguments.push_back(std::to_string(i) + ":" + script::Utf8FromPath(result));
        std::string error;
        std::shared_ptr<detail::WorkerProcess> worker =
            detail::WorkerProcess::Start(*self, arguments, log, &error);
        Finished failed;
        failed.result.file = script::PathFromUtf8(scripts[i].name);
        failed.result.className = ClassName(failed.result.file, run.common);
        if (worker == nullptr) {
            failed.result.failure = scripts[i].name + ": " + error;
            failed.result.output = failed.result.failure + '\n';
            std::lock_guard lock(mutex);
            done[i] = std::move(failed);
            --running;
            return;
        }
        waiting.emplace_back([&, i, worker, result, log, failed]() mutable {
            std::string how;
            const std::optional<int> exit = worker->Wait(&how);
            Finished finished = failed;
            std::string unread;
            if (!detail::ReadResultFile(result, &finished.result, &finished.status, &unread)) {
                finished.status = kExitFailed;
                finished.result.failure = scripts[i].name + ": its worker ended " +
                                          (exit ? "with status " + std::to_string(*exit) : how) +
                                          " without a result";
                finished.result.output = ReadAll(log) + finished.result.failure + '\n';
            }
            std::lock_guard lock(mutex);
            done[i] = std::move(finished);
            --running;
            changed.notify_all();
        });
    };

    std::unique_lock lock(mutex);
    for (;;) {
        while (!stop && next < count && running < static_cast<std::size_t>(run.options.jobs)) {
            const std::size_t i = next++;
            ++running;
            lock.unlock();
            start(i);
            lock.lock();
        }
        // The scripts' output in their order, as a run one at a time writes it.
        while (written < count && done[written] && !stop) {
            Finished& f = *done[written];
            err << f.result.output;
            if (f.status == kExitMalformed) {
                stop = true;
                status = kExitMalformed;
                break;
            }
            if (f.status != kExitPassed) {
                status = kExitFailed;
            }
            results->push_back(std::move(f.result));
            ++written;
        }
        if (running == 0 && (stop || next == count)) {
            break;
        }
        changed.wait(lock);
    }
    lock.unlock();
    for (std::thread& t : waiting) {
        t.join();
    }
    std::error_code ec;
    std::filesystem::remove_all(*folder, ec);
    return status;
}

}  // namespace

int RunSuite(std::vector<script::Script> scripts, const SuiteOptions& options,
             const std::optional<std::filesystem::path>& screenshot, const RunOne& runOne,
             std::ostream& out, std::ostream& err) {
    std::vector<std::filesystem::path> files;
    for (const script::Script& s : scripts) {
        files.push_back(script::PathFromUtf8(s.name));
    }
    SuiteRun run{options, screenshot, runOne, CommonFolder(files)};
    if (options.shard) {
        std::erase_if(scripts, [&](const script::Script& s) {
            return !InShard(PathInRun(script::PathFromUtf8(s.name), run.common), *options.shard);
        });
    }

    if (options.worker) {
        // One script, its result handed back through the file.
        if (options.worker->index >= scripts.size()) {
            err << "kestrin: the suite has no script " << options.worker->index << '\n';
            return kExitMalformed;
        }
        int status = kExitPassed;
        const ScriptResult result =
            RunScript(std::move(scripts[options.worker->index]), run, nullptr, err, &status);
        std::string error;
        if (!detail::WriteResultFile(options.worker->result, result, status, &error)) {
            err << "kestrin: " << error << '\n';
            return kExitMalformed;
        }
        return status;
    }

    if (options.report) {
        std::string error;
        if (!detail::PrepareReportFolder(*options.report, &error)) {
            err << "kestrin: --report " << error << '\n';
            return kExitMalformed;
        }
    }
    std::vector<ScriptResult> results;
    int status = kExitPassed;
    if (options.jobs > 1 && scripts.size() > 1 && !options.commandLine.empty()) {
        status = RunInWorkers(std::move(scripts), run, &results, err);
        if (status == kExitMalformed) {
            return status;
        }
    } else {
        for (script::Script& s : scripts) {
            int ended = kExitPassed;
            ScriptResult result = RunScript(std::move(s), run, &err, err, &ended);
            if (ended == kExitMalformed) {
                return kExitMalformed;
            }
            if (ended != kExitPassed) {
                status = kExitFailed;
            }
            results.push_back(std::move(result));
        }
    }

    out << Verdict(results) << '\n';
    std::string error;
    if (options.junit && !WriteJUnit(*options.junit, results, &error)) {
        err << "kestrin: " << error << '\n';
        status = kExitFailed;
    }
    if (options.report && !detail::WriteReport(*options.report, results, &error)) {
        err << "kestrin: " << error << '\n';
        status = kExitFailed;
    }
    out.flush();
    return status;
}

}  // namespace program
