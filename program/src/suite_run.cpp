// Running a suite: each script on its own (one at a time, or with --jobs in
// worker processes of this program), the output in the scripts' order, the
// verdict and the reports.
#include <condition_variable>
#include <fstream>
#include <iterator>
#include <list>
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
#include "whole_file.h"
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

// Takes away what an earlier run of the script left in its folder inside
// root, and the folders that leaves empty, so that the evidence of a script
// that now passes does not stay.
void ClearEvidence(const std::filesystem::path& root, const std::filesystem::path& inside) {
    const std::filesystem::path folder = root / inside;
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
    for (std::filesystem::path empty = inside; !empty.empty() && empty != empty.root_path();
         empty = empty.parent_path()) {
        if (!std::filesystem::is_empty(root / empty, ec) || ec ||
            !std::filesystem::remove(root / empty, ec)) {
            break;
        }
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
        const std::filesystem::path inside = PathInRun(result.file, run.common);
        runnerOptions.artifactsFolder = *run.options.artifacts / inside;
        ClearEvidence(*run.options.artifacts, inside);
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
        if (!detail::WriteWholeFile(file, result.output)) {
            err << "kestrin: " << script::Utf8FromPath(file) << ": cannot write\n";
        }
    }
    if (run.options.report && (!result.passed || run.options.trace)) {
        std::string error;
        if (trace.Keep(detail::ScreensFolder(*run.options.report), &result.trace, &error)) {
            result.traced = true;
            result.screensLeftOut = trace.LeftOut();
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

// The files of a run's workers: a script is taken by making its claim
// folder (one process succeeds), its result appears whole (written beside,
// then renamed), and a run that cannot go on is marked stopped.
std::filesystem::path ClaimOf(const std::filesystem::path& folder, std::size_t i) {
    return folder / (std::to_string(i) + ".claim");
}
std::filesystem::path ResultOf(const std::filesystem::path& folder, std::size_t i) {
    return folder / (std::to_string(i) + ".result");
}
std::filesystem::path StopOf(const std::filesystem::path& folder) {
    return folder / "stop";
}

// A worker: the first script no other worker has taken, then the next,
// each result handed back as it ends.
int RunAsWorker(std::vector<script::Script> scripts, const SuiteRun& run,
                const std::filesystem::path& folder, std::ostream& err) {
    for (std::size_t i = 0; i < scripts.size(); ++i) {
        std::error_code ec;
        if (std::filesystem::exists(StopOf(folder), ec)) {
            break;
        }
        if (!std::filesystem::create_directory(ClaimOf(folder, i), ec)) {
            continue;  // another worker's
        }
        detail::ResultEnd end;
        std::ostringstream notes;
        const ScriptResult result =
            RunScript(std::move(scripts[i]), run, nullptr, notes, &end.status);
        end.notes = notes.str();
        std::filesystem::path partial = ResultOf(folder, i);
        partial += ".part";
        std::string error;
        if (!detail::WriteResultFile(partial, result, end, &error)) {
            err << "kestrin: " << error << '\n';
            return kExitMalformed;
        }
        std::filesystem::rename(partial, ResultOf(folder, i), ec);
        if (end.status == kExitMalformed) {
            std::filesystem::create_directory(StopOf(folder), ec);
            break;
        }
    }
    return kExitPassed;
}

// A script's end as the workers' folder tells it.
struct Finished {
    ScriptResult result;
    detail::ResultEnd end{kExitFailed, {}};
};

// A worker process and whether it has ended.
struct Worker {
    std::unique_ptr<detail::WorkerProcess> process;
    std::filesystem::path log;
    std::thread waiting;
    bool ended = false;
    std::string how;  // how it ended, when not with status 0
};

// --jobs N: N workers take the scripts one by one; each script's output is
// written once those of the scripts before it are, as one at a time does.
// A worker that ends early is replaced while scripts are left; a script
// whose worker died with it fails with what the worker wrote.
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
    std::vector<std::string> arguments = run.options.commandLine;
    arguments.emplace_back("--suite-worker");
    arguments.push_back(script::Utf8FromPath(*folder));

    std::mutex mutex;
    std::condition_variable changed;
    std::list<Worker> workers;
    std::size_t alive = 0;
    // Every worker ever started: at most one more per script than --jobs.
    const std::size_t mostStarts = count + static_cast<std::size_t>(run.options.jobs);
    std::size_t starts = 0;
    auto start = [&] {
        Worker& w = workers.emplace_back();
        w.log = *folder / ("worker-" + std::to_string(starts++) + ".log");
        std::string error;
        w.process = detail::WorkerProcess::Start(*self, arguments, w.log, &error);
        if (w.process == nullptr) {
            w.ended = true;
            w.how = error;
            return false;
        }
        ++alive;
        w.waiting = std::thread([&, worker = &w] {
            std::string how;
            const std::optional<int> exit = worker->process->Wait(&how);
            std::lock_guard lock(mutex);
            worker->ended = true;
            if (exit != 0) {
                worker->how = exit ? "with status " + std::to_string(*exit) : how;
            }
            --alive;
            changed.notify_all();
        });
        return true;
    };
    auto unclaimed = [&] {
        std::error_code ec;
        for (std::size_t i = 0; i < count; ++i) {
            if (!std::filesystem::exists(ClaimOf(*folder, i), ec)) {
                return true;
            }
        }
        return false;
    };
    // What the workers that ended badly wrote: the evidence of a script
    // that died with one of them.
    auto casualty = [&](std::size_t i) {
        Finished f;
        f.result.file = script::PathFromUtf8(scripts[i].name);
        f.result.className = ClassName(f.result.file, run.common);
        std::string how;
        std::string logs;
        for (const Worker& w : workers) {
            if (!w.how.empty()) {
                how = w.how;
                logs += ReadAll(w.log);
            }
        }
        f.result.failure = scripts[i].name + ": its worker ended " +
                           (how.empty() ? std::string("without its result") : how);
        f.result.output = logs + f.result.failure + '\n';
        return f;
    };

    std::unique_lock lock(mutex);
    for (std::size_t n = 0; n < std::min(count, static_cast<std::size_t>(run.options.jobs)); ++n) {
        start();
    }
    std::size_t written = 0;
    int status = kExitPassed;
    bool stop = false;
    while (written < count && !stop) {
        std::error_code ec;
        std::optional<Finished> next;
        if (std::filesystem::exists(ResultOf(*folder, written), ec)) {
            next.emplace();
            std::string error;
            next->result.file = script::PathFromUtf8(scripts[written].name);
            next->result.className = ClassName(next->result.file, run.common);
            if (!detail::ReadResultFile(ResultOf(*folder, written), &next->result, &next->end,
                                        &error)) {
                next->end.status = kExitFailed;
                next->result.failure = error;
                next->result.output = error + '\n';
            }
        } else if (alive == 0) {
            // Nobody will write it: start another worker, or it died with one.
            if (unclaimed() && starts < mostStarts && start()) {
                continue;
            }
            next = casualty(written);
        }
        if (!next) {
            changed.wait_for(lock, std::chrono::milliseconds(20));
            continue;
        }
        err << next->result.output << next->end.notes;
        err.flush();
        if (next->end.status == kExitMalformed) {
            stop = true;
            status = kExitMalformed;
            break;
        }
        if (next->end.status != kExitPassed) {
            status = kExitFailed;
        }
        results->push_back(std::move(next->result));
        ++written;
    }
    if (stop) {
        std::error_code ec;
        std::filesystem::create_directory(StopOf(*folder), ec);
    }
    lock.unlock();
    for (Worker& w : workers) {
        if (w.waiting.joinable()) {
            w.waiting.join();
        }
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
    files.reserve(scripts.size());
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
        return RunAsWorker(std::move(scripts), run, *options.worker, err);
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
