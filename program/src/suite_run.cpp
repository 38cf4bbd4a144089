// Running a suite: each script on its own (one at a time in this process,
// or handed to worker processes of this program), the output in the
// scripts' order, the verdict and the reports.
#include "suite_run.h"

#include <algorithm>
#include <charconv>
#include <condition_variable>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>
#include <variant>

#include "html_report.h"
#include "program/interrupt.h"
#include "report_folder.h"
#include "report_results.h"
#include "result_file.h"
#include "run_print.h"
#include "script/utf8_path.h"
#include "suite_outputs.h"
#include "tee_stream.h"
#include "trace_collector.h"
#include "whole_file.h"
#include "worker_pool.h"
#include "xml_text.h"

namespace program {

namespace detail {

namespace {

using script::kExitFailed;
using script::kExitMalformed;
using script::kExitPassed;

// The files a failed run of a script leaves in its artifacts folder.
bool IsEvidence(const std::filesystem::path& file) {
    const std::string name = script::Utf8FromPath(file.filename());
    return name == "screen.png" || name == "windows.json" || name == "debug.txt" ||
           name == "output.txt" || name.ends_with(".actual.png") || name.ends_with(".diff.png");
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

// "600 s", "1500 ms", as the runner words it
std::string LimitText(std::chrono::milliseconds limit) {
    const auto ms = limit.count();
    if (ms % 1000 == 0) {
        return std::to_string(ms / 1000) + " s";
    }
    return std::to_string(ms) + " ms";
}

// Only a process can be ended from outside: a script that runs in this
// process and does not end by itself past its limit and grace (stuck inside
// one step of the runner) ends the program, saying the line it was on.
class Watchdog {
  public:
    Watchdog(const ScriptProgress& progress, std::string name,
             std::chrono::steady_clock::time_point deadline, std::chrono::milliseconds limit)
        : thread_([this, &progress, name = std::move(name), deadline, limit] {
              std::unique_lock lock(mutex_);
              if (done_changed_.wait_until(lock, deadline + Grace(limit), [&] { return done_; })) {
                  return;
              }
              std::cerr << PastLimit(name, progress.Current(), limit) << "; the program ends\n";
              std::cerr.flush();
              EndProgram(kExitFailed);
          }) {}
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;
    ~Watchdog() {
        {
            const std::lock_guard lock(mutex_);
            done_ = true;
        }
        done_changed_.notify_all();
        thread_.join();
    }

  private:
    std::mutex mutex_;
    std::condition_variable done_changed_;
    bool done_ = false;
    std::thread thread_;  // last: it uses the others
};

// Writes a picture into the report's screens under its name, through a
// file of its own first; the name, or empty with the reason in notes.
std::string KeepScreen(const ui::Framebuffer& screen, const std::filesystem::path& folder,
                       std::string* notes) {
    std::string name = PictureName(HashPicture(screen));
    std::filesystem::path partial = folder / name;
    partial += ".left.part";
    std::error_code ec;
    if (const platform::Result<void> written = ui::WritePng(screen, script::Utf8FromPath(partial));
        !written) {
        *notes += "kestrin: " + written.error() + '\n';
        return {};
    }
    std::filesystem::rename(partial, folder / name, ec);
    return name;
}

// Where --shard leaves the run, when that needs saying: an empty slice, or
// more slices than scripts.
std::string ShardNote(const std::optional<Shard>& shard, std::size_t inShard, std::size_t all) {
    if (!shard) {
        return {};
    }
    const std::string named = "shard " + std::to_string(shard->k) + "/" + std::to_string(shard->n) +
                              " of " + std::to_string(all) + (all == 1 ? " script" : " scripts");
    if (inShard == 0) {
        return " (" + named + ": this slice is empty)";
    }
    if (static_cast<std::size_t>(shard->n) > all) {
        return " (" + named + ": more slices than scripts, some are empty)";
    }
    return {};
}

// The slice of each script by the times of an earlier run.
platform::Result<std::vector<int>> TimedSlices(const std::filesystem::path& file,
                                               const std::vector<SuiteScript>& scripts,
                                               const std::filesystem::path& common, int n) {
    platform::Result<std::map<std::string, double>> durations = ReadDurations(file);
    if (!durations) {
        return platform::Fail(durations.error());
    }
    std::vector<std::filesystem::path> relative;
    std::vector<std::optional<double>> seconds;
    for (const SuiteScript& s : scripts) {
        relative.push_back(PathInRun(s.file, common));
        const auto found = durations->find(ScriptKey(s.file));
        seconds.push_back(found == durations->end() ? std::nullopt
                                                    : std::optional<double>(found->second));
    }
    return SlicesByTime(relative, seconds, n);
}

// --last-failed: keeps the scripts that failed (or came to no verdict, or
// passed only on a retry) in the run of a report's results, with their places. kExitPassed with
// none left when none failed (which it says), kExitMalformed when the results cannot be read.
int KeepLastFailed(const std::filesystem::path& named, std::vector<SuiteScript>* scripts,
                   std::vector<std::size_t>* places, std::ostream& out, std::ostream& err) {
    std::error_code ec;
    const bool folder = std::filesystem::is_directory(named, ec);
    std::vector<ScriptResult> earlier;
    platform::Result<void> read;
    if (folder) {
        read = ReadReportResults(named, &earlier);
    } else if (const platform::Result<std::string> text = ReadNamedFile(named, ShownName(named));
               !text) {
        read = platform::Fail(text.error());
    } else {
        read = ParseReportResults(*text, ShownName(named), &earlier);
    }
    if (!read) {
        err << "kestrin: --last-failed " << read.error() << '\n';
        return kExitMalformed;
    }
    std::set<std::string> failed;
    for (const ScriptResult& r : earlier) {
        // A flaky one failed too: it is what needs looking at.
        if (!r.passed || r.Flaky()) {
            failed.insert(ScriptKey(r.file));
        }
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < scripts->size(); ++i) {
        if (failed.contains(ScriptKey((*scripts)[i].file))) {
            (*scripts)[kept] = std::move((*scripts)[i]);
            (*places)[kept++] = (*places)[i];
        }
    }
    scripts->resize(kept);
    places->resize(kept);
    if (scripts->empty()) {
        out << (failed.empty() ? "No script failed in the last run (" + ShownName(named) + ")"
                               : "None of the scripts that failed in the last run (" +
                                     ShownName(named) + ") is among these")
            << ": nothing to run\n";
    }
    return kExitPassed;
}

// The report's pages and its results beside them.
platform::Result<void> WriteReportWithResults(const std::filesystem::path& folder,
                                              const std::vector<ScriptResult>& results) {
    if (platform::Result<void> written = WriteReport(folder, results); !written) {
        return written;
    }
    if (!WriteWholeFile(folder / std::string(kReportResults), ReportResultsText(results))) {
        return platform::Fail(script::Utf8FromPath(folder / std::string(kReportResults)) +
                              ": cannot write the report's results");
    }
    return {};
}

// Whether file names one of the scripts.
bool IsAScript(const std::filesystem::path& file, const std::vector<SuiteScript>& scripts) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        return false;
    }
    return std::ranges::any_of(scripts, [&](const SuiteScript& s) {
        std::error_code differ;
        return std::filesystem::equivalent(file, s.file, differ);
    });
}

}  // namespace

ScriptFiles FilesOf(const std::filesystem::path& folder, std::size_t i) {
    const std::string n = std::to_string(i);
    return {folder / (n + ".output"), folder / (n + ".progress"), folder / (n + ".screen"),
            folder / (n + ".result"), folder / (n + ".attempt")};
}

std::chrono::milliseconds Grace(std::chrono::milliseconds limit) {
    return std::clamp(limit / 10, std::chrono::milliseconds(1000),
                      std::chrono::milliseconds(10000));
}

std::string PastLimit(const std::string& name, const std::optional<CommandAt>& at,
                      std::chrono::milliseconds limit) {
    const std::string where = at ? name + ":" + std::to_string(at->line) + ": " + at->source : name;
    return where + ": past the script's time limit of " + LimitText(limit);
}

namespace {

// One run of a script, its trace not yet kept.
struct OneRun {
    ScriptResult result;
    std::unique_ptr<TraceCollector> trace;
    std::unique_ptr<RunPrint> print;  // --repeat-each
};

// Runs the script once on a fresh session (attempt: how many ran before;
// echo: its output to how.echo as it comes, else only into the result).
OneRun RunOnce(const SuiteScript& s, const SuiteRun& run, const ScriptRun& how, int attempt,
               bool echo, std::ostream& notes, int* status) {
    const auto started = std::chrono::steady_clock::now();
    OneRun once;
    ScriptResult& result = once.result;
    result.file = s.file;
    result.className = ClassName(result.file, run.common);
    script::RunnerOptions runnerOptions;
    runnerOptions.finalScreenshot = run.screenshot.value_or(std::filesystem::path());
    runnerOptions.updateScreens = run.options.updateScreens;
    if (run.options.artifacts) {
        runnerOptions.artifactsFolder = *run.options.artifacts / PathInRun(result.file, run.common);
    }
    const std::chrono::milliseconds limit = run.options.timeout;
    if (limit.count() > 0) {
        runnerOptions.deadline = started + limit;
        runnerOptions.timeLimit = limit;
    }
    if (how.files != nullptr && attempt > 0) {
        // Each run has the whole limit: the suite counts it from here.
        WriteWholeFile(how.files->attempt, std::to_string(attempt));
    }
    once.trace = std::make_unique<TraceCollector>();
    script::RunObserver* observer = run.screens.empty() ? nullptr : once.trace.get();
    if (run.options.repeatEach > 1) {
        once.print = std::make_unique<RunPrint>(observer);
        observer = once.print.get();
    }
    const bool pictures = run.options.artifacts || !run.screens.empty();
    ScriptProgress progress(
        observer, how.files != nullptr ? how.files->progress : std::filesystem::path(),
        how.files != nullptr && pictures ? how.files->screen : std::filesystem::path());
    runnerOptions.observer = &progress;
    std::optional<Watchdog> watchdog;
    if (how.files == nullptr && limit.count() > 0) {
        watchdog.emplace(progress, s.script.name, started + limit, limit);
    }
    std::ostringstream captured;
    RunOutcome outcome;
    if (how.echo != nullptr && echo) {
        TeeStream log(*how.echo, captured);
        if (how.files != nullptr) {
            // Each line reaches the file at once: it is the evidence when the
            // worker dies.
            log << std::unitbuf;
        }
        outcome = run.runOne(s.script, runnerOptions, log);
    } else {
        outcome = run.runOne(s.script, runnerOptions, captured);
    }
    watchdog.reset();
    *status = outcome.status;
    result.passed = outcome.status == kExitPassed;
    result.failure = outcome.failure;
    result.time = std::chrono::steady_clock::now() - started;
    result.output = captured.str();
    if (outcome.status == kExitMalformed) {
        return once;
    }
    if (!result.passed && !runnerOptions.artifactsFolder.empty()) {
        const std::filesystem::path file = runnerOptions.artifactsFolder / "output.txt";
        if (!WriteWholeFile(file, result.output)) {
            notes << "kestrin: " << ShownName(file) << ": cannot write\n";
        }
    }
    return once;
}

// Keeps the run's trace in the report when it has one (want: whether the
// report wants it).
void KeepTrace(const SuiteRun& run, const TraceCollector& trace, bool want, ScriptResult* result,
               std::ostream& notes, int* status) {
    if (run.screens.empty() || !want) {
        return;
    }
    if (const platform::Result<void> kept = trace.Keep(run.screens, &result->trace); kept) {
        result->traced = true;
        result->screensLeftOut = trace.LeftOut();
    } else {
        notes << "kestrin: " << kept.error() << '\n';
        *status = kExitFailed;
    }
}

// --repeat-each: runs the script again until every run has given the
// first's trace; the first run that parts from it fails the script, its
// trace the one kept. Later runs' output is not shown unless they part.
ScriptResult Repeated(const SuiteScript& s, const SuiteRun& run, const ScriptRun& how, OneRun first,
                      std::ostream& notes, int* status) {
    std::chrono::duration<double> time = first.result.time;
    const int runs = run.options.repeatEach;
    for (int k = 2; k <= runs; ++k) {
        int ended = kExitPassed;
        OneRun again = RunOnce(s, run, how, k - 1, false, notes, &ended);
        time += again.result.time;
        if (ended == kExitMalformed) {
            *status = ended;
            return std::move(again.result);
        }
        const std::optional<std::string> parted =
            FirstDifference(s.script.name, first.print->Steps(), again.print->Steps(), k, runs);
        if (!parted) {
            continue;
        }
        ScriptResult result = std::move(again.result);
        const std::string said = *parted + '\n' + result.output;
        if (how.echo != nullptr) {
            *how.echo << said;
        }
        result.output = first.result.output + said;
        result.passed = false;
        result.failure = *parted;
        result.time = time;
        *status = kExitFailed;
        KeepTrace(run, *again.trace, true, &result, notes, status);
        return result;
    }
    ScriptResult result = std::move(first.result);
    KeepTrace(run, *first.trace, !result.passed || run.options.trace, &result, notes, status);
    result.time = time;
    return result;
}

}  // namespace

ScriptResult RunScript(const SuiteScript& s, const SuiteRun& run, const ScriptRun& how,
                       std::ostream& notes, int* status) {
    if (run.options.artifacts) {
        // Once: the evidence of an earlier failed run stays beside a retry's.
        ClearEvidence(*run.options.artifacts, PathInRun(s.file, run.common));
    }
    OneRun once = RunOnce(s, run, how, 0, true, notes, status);
    if (run.options.repeatEach > 1 && *status != kExitMalformed) {
        return Repeated(s, run, how, std::move(once), notes, status);
    }
    std::string output = once.result.output;
    std::chrono::duration<double> time = once.result.time;
    std::vector<Attempt> retried;
    int kept = kExitPassed;  // kExitFailed: a failed run's trace could not be kept
    for (int attempt = 1; *status == kExitFailed && attempt <= run.options.retries; ++attempt) {
        ScriptResult& failed = once.result;
        KeepTrace(run, *once.trace, true, &failed, notes, &kept);
        retried.push_back({failed.time, failed.failure, failed.output, failed.traced,
                           std::move(failed.trace), failed.screensLeftOut});
        const std::string again = s.script.name + ": failed; running it again on a fresh copy " +
                                  "of its unit (run " + std::to_string(attempt + 1) + " of " +
                                  std::to_string(run.options.retries + 1) + ")\n";
        if (how.echo != nullptr) {
            *how.echo << again;
        }
        output += again;
        once = RunOnce(s, run, how, attempt, true, notes, status);
        output += once.result.output;
        time += once.result.time;
        if (*status == kExitMalformed) {
            break;
        }
    }
    ScriptResult result = std::move(once.result);
    if (*status != kExitMalformed) {
        // A flaky script's passing run is kept beside its failed ones.
        KeepTrace(run, *once.trace, !result.passed || run.options.trace || !retried.empty(),
                  &result, notes, status);
        if (kept != kExitPassed) {
            *status = kExitFailed;
        }
    }
    result.output = std::move(output);
    result.time = time;
    result.retried = std::move(retried);
    return result;
}

void KeepLeftEvidence(const SuiteRun& run, const ScriptFiles& files, const Progress& progress,
                      const std::string& failure, ScriptResult* result, std::string* notes) {
    const std::optional<ui::Framebuffer> screen = ReadScreenFile(files.screen);
    if (run.options.artifacts) {
        const std::filesystem::path folder =
            *run.options.artifacts / PathInRun(result->file, run.common);
        ClearEvidence(*run.options.artifacts, PathInRun(result->file, run.common));
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        std::string debug;
        for (const TraceStep& step : progress.ended) {
            for (const std::string& line : step.debugLines) {
                debug += line;
            }
        }
        if (screen) {
            if (const platform::Result<void> written =
                    ui::WritePng(*screen, script::Utf8FromPath(folder / "screen.png"));
                !written) {
                *notes += "kestrin: " + written.error() + '\n';
            }
        }
        for (const auto& [name, text] :
             {std::pair{"debug.txt", &debug}, {"output.txt", &result->output}}) {
            if (!WriteWholeFile(folder / name, *text)) {
                *notes += "kestrin: " + ShownName(folder / name) + ": cannot write\n";
            }
        }
    }
    if (!run.screens.empty()) {
        result->trace = progress.ended;
        TraceStep& last = result->trace.emplace_back();
        last.line = progress.current ? progress.current->line : 0;
        last.command = progress.current ? progress.current->source : "(the script's start)";
        last.failure = failure;
        if (screen) {
            last.screen = KeepScreen(*screen, run.screens, notes);
        }
        result->traced = true;
    }
}

}  // namespace detail

using detail::SuiteRun;
using script::kExitFailed;
using script::kExitMalformed;
using script::kExitPassed;

int RunSuite(std::vector<SuiteScript> scripts, const SuiteOptions& options, bool workers,
             const std::optional<std::filesystem::path>& screenshot, const RunOne& runOne,
             std::ostream& out, std::ostream& err) {
    std::vector<std::filesystem::path> files;
    files.reserve(scripts.size());
    for (const SuiteScript& s : scripts) {
        files.push_back(s.file);
    }
    const std::filesystem::path common = CommonFolder(files);
    if (options.junit && detail::IsAScript(*options.junit, scripts)) {
        err << "kestrin: --junit " << ShownName(*options.junit)
            << ": one of the scripts; the report would replace it\n";
        return kExitMalformed;
    }
    std::vector<std::size_t> places(scripts.size());
    for (std::size_t i = 0; i < places.size(); ++i) {
        places[i] = i;
    }
    if (options.lastFailed) {
        const int chosen = detail::KeepLastFailed(*options.lastFailed, &scripts, &places, out, err);
        if (chosen != kExitPassed || scripts.empty()) {
            return chosen;
        }
    }
    const std::size_t all = scripts.size();
    if (options.shard) {
        std::vector<bool> in(scripts.size());
        if (options.durations) {
            const auto slices =
                detail::TimedSlices(*options.durations, scripts, common, options.shard->n);
            if (!slices) {
                err << "kestrin: --durations " << slices.error() << '\n';
                return kExitMalformed;
            }
            for (std::size_t i = 0; i < in.size(); ++i) {
                in[i] = (*slices)[i] == options.shard->k - 1;
            }
        } else {
            for (std::size_t i = 0; i < in.size(); ++i) {
                in[i] = InShard(PathInRun(scripts[i].file, common), *options.shard);
            }
        }
        std::size_t kept = 0;
        for (std::size_t i = 0; i < in.size(); ++i) {
            if (in[i]) {
                scripts[kept] = std::move(scripts[i]);
                places[kept++] = places[i];
            }
        }
        scripts.resize(kept);
        places.resize(kept);
    }

    detail::ReportFolder report;
    if (options.report) {
        if (const platform::Result<void> prepared = report.Prepare(*options.report); !prepared) {
            err << "kestrin: --report " << prepared.error() << '\n';
            return kExitMalformed;
        }
    }
    const SuiteRun run{
        options, screenshot, runOne, common,
        options.report ? detail::ScreensFolder(report.Staging()) : std::filesystem::path()};
    std::vector<ScriptResult> results;
    int status = kExitPassed;
    if (workers && !options.commandLine.empty() && !scripts.empty()) {
        status = detail::RunInWorkerProcesses(scripts, run, &results, err);
        if (status == kExitMalformed) {
            return status;
        }
    } else {
        for (const SuiteScript& s : scripts) {
            int ended = kExitPassed;
            std::ostringstream notes;
            ScriptResult result = detail::RunScript(s, run, {nullptr, &err}, notes, &ended);
            err << notes.str();
            if (ended == kExitMalformed) {
                return kExitMalformed;
            }
            if (ended != kExitPassed) {
                status = kExitFailed;
            }
            results.push_back(std::move(result));
        }
    }

    for (std::size_t i = 0; i < results.size() && i < places.size(); ++i) {
        results[i].place = places[i];
    }
    if (SuiteStatus(results, options.failOnFlaky) != kExitPassed) {
        status = kExitFailed;
    }
    out << Verdict(results) << detail::ShardNote(options.shard, scripts.size(), all) << '\n';
    out.flush();
    bool reportWritten = true;
    if (options.report) {
        if (const platform::Result<void> written =
                detail::WriteReportWithResults(report.Staging(), results);
            !written) {
            err << "kestrin: " << written.error() << '\n';
            status = kExitFailed;
            reportWritten = false;
        }
    }
    // Both reports go in place whole, or neither when the run is interrupted.
    return detail::WriteSuiteOutputs(
        options.junit, results, options.report && reportWritten ? &report : nullptr, status, err);
}

int RunSuiteWorker(const SuiteOptions& options,
                   const std::optional<std::filesystem::path>& screenshot, const RunOne& runOne,
                   std::ostream& err) {
    const std::filesystem::path& folder = *options.worker;
    detail::RunList list;
    if (const platform::Result<void> read = detail::ReadRunList(folder / "run", &list); !read) {
        err << "kestrin: " << read.error() << '\n';
        return kExitMalformed;
    }
    const SuiteRun run{options, screenshot, runOne, list.common, list.screens};
    std::string line;
    while (std::getline(std::cin, line)) {
        std::size_t i = 0;
        const auto [ptr, ec] = std::from_chars(line.data(), line.data() + line.size(), i);
        if (ec != std::errc() || ptr != line.data() + line.size() || i >= list.scripts.size()) {
            err << "kestrin: a worker was handed \"" << detail::Shown(line)
                << "\", not a script of the list\n";
            return kExitMalformed;
        }
        const std::filesystem::path& file = list.scripts[i];
        const detail::ScriptFiles files = detail::FilesOf(folder, i);
        ScriptResult result;
        detail::ResultEnd end{kExitFailed, {}, file};
        // The script as it is now: the suite's list names it, not its text.
        script::ParseResult parsed = script::LoadScriptFile(file);
        if (!parsed) {
            result.failure = script::Describe(ShownName(file), parsed.error());
            result.output = result.failure + '\n';
        } else {
            SuiteScript s{file, std::move(*parsed)};
            s.script.name = ShownName(file);
            std::ofstream output(files.output, std::ios::binary | std::ios::trunc);
            output << std::unitbuf;
            std::ostringstream notes;
            result = detail::RunScript(s, run, {&files, &output}, notes, &end.status);
            end.notes = notes.str();
        }
        std::filesystem::path partial = files.result;
        partial += ".part";
        if (const platform::Result<void> written = detail::WriteResultFile(partial, result, end);
            !written) {
            err << "kestrin: " << written.error() << '\n';
            return kExitMalformed;
        }
        std::error_code renamed;
        std::filesystem::rename(partial, files.result, renamed);
    }
    return kExitPassed;
}

}  // namespace program
