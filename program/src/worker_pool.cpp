#include "worker_pool.h"

#include <chrono>
#include <list>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

#include "file_lock.h"
#include "platform/exit_status.h"
#include "program/interrupt.h"
#include "result_file.h"
#include "script/utf8_path.h"
#include "tour_folder.h"
#include "whole_file.h"
#include "xml_text.h"

namespace program::detail {

namespace {

using script::kExitFailed;
using script::kExitMalformed;
using script::kExitPassed;
using Clock = std::chrono::steady_clock;

// How often the pool looks for results when nothing happened (a worker
// waits that long for its next script), and every how many looks it shows
// what the workers wrote meanwhile.
constexpr std::chrono::milliseconds kLook{2};
constexpr std::uint64_t kLooksPerEcho = 10;
// The folder of a suite's workers, and its lock while the suite runs.
constexpr std::string_view kFolderPrefix = "kestrin-suite-";
constexpr const char* kFolderLock = "lock";
// How many times a result that cannot be opened is looked at again.
constexpr int kUnreadableLooks = 50;
// A folder of workers younger than this is never taken for a dead run's.
constexpr std::chrono::minutes kStaleAfter{1};

// One worker process of the pool.
struct Worker {
    std::unique_ptr<WorkerProcess> process;
    std::size_t number = 0;
    std::filesystem::path log;
    std::optional<ProcessEnd> end;
    bool inputClosed = false;
    std::optional<std::size_t> script;  // the script it runs
    Clock::time_point since;            // when it was handed it
    std::uintmax_t logAtScript = 0;     // the length of its log then
    bool ended = false;                 // the pool ended it (past the script's limit)
    bool diedWithScript = false;        // it ended before handing back its script's result
    int unreadable = 0;                 // looks at a result that did not open
    std::string run;                    // the run of its script it is on (--retries)
    // Its log as read so far: lines are told a round after they are read,
    // so that what a worker writes as it dies stays with its script.
    std::uintmax_t logRead = 0;
    std::string partial;
    std::vector<std::string> fresh;
};

// A script's end as the workers' folder tells it.
struct Finished {
    ScriptResult result;
    ResultEnd end;
};

std::uintmax_t SizeOf(const std::filesystem::path& file) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(file, ec);
    return ec ? 0 : size;
}

class Pool {
  public:
    Pool(const std::vector<SuiteScript>& scripts, const SuiteRun& run,
         const std::filesystem::path& folder, const StartWorker& start, std::ostream& err)
        : scripts_(scripts),
          run_(run),
          folder_(folder),
          start_(start),
          err_(err),
          finished_(scripts.size()),
          // Every worker ever started: at most one more per script than --jobs.
          mostStarts_(scripts.size() + static_cast<std::size_t>(run.options.jobs)) {}

    int Run(std::vector<ScriptResult>* results) {
        // On an interrupt every worker is ended and waited for, so that the
        // folder with their copies of the unit can go.
        const OnInterrupt endWorkers([this] {
            // After the round in progress; none starts after it.
            const std::lock_guard lock(workersMutex_);
            interrupted_ = true;
            for (Worker& w : workers_) {
                w.process->End();
            }
            for (Worker& w : workers_) {
                w.process->Wait();
            }
        });
        const std::size_t jobs =
            std::min(scripts_.size(), static_cast<std::size_t>(run_.options.jobs));
        int status = kExitPassed;
        for (std::uint64_t look = 0; written_ < scripts_.size(); ++look) {
            std::unique_lock round(workersMutex_);
            if (interrupted_) {
                // The program ends on the interrupt's thread.
                round.unlock();
                std::this_thread::sleep_for(kLook);
                continue;
            }
            bool moved = Look();
            moved = Supply(jobs) || moved;
            const bool echo = look % kLooksPerEcho == 0;
            if (echo) {
                Relay(false);
            }
            while (written_ < scripts_.size() && finished_[written_]) {
                Finished& f = *finished_[written_];
                Write(f);
                if (f.end.status == kExitMalformed) {
                    round.unlock();
                    EndAll();
                    return kExitMalformed;
                }
                if (f.end.status != kExitPassed) {
                    status = kExitFailed;
                }
                results->push_back(std::move(f.result));
                ++written_;
                echoed_ = 0;
                moved = true;
            }
            if (echo || moved) {
                Echo();
            }
            round.unlock();
            if (!moved) {
                std::this_thread::sleep_for(kLook);
            }
        }
        for (Worker& w : workers_) {
            CloseInput(w);
        }
        for (Worker& w : workers_) {
            if (!w.end) {
                w.end = w.process->Wait();
            }
        }
        Relay(true);
        return status;
    }

  private:
    // Takes what the workers handed back, and notes those that ended.
    bool Look() {
        bool moved = false;
        const auto now = Clock::now();
        const std::chrono::milliseconds limit = run_.options.timeout;
        for (Worker& w : workers_) {
            if (w.end) {
                continue;
            }
            w.end = w.process->Poll();
            if (!w.script) {
                continue;
            }
            const std::size_t i = *w.script;
            const ScriptFiles files = FilesOf(folder_, i);
            std::error_code ec;
            if (std::filesystem::exists(files.result, ec)) {
                // A file just renamed may not open at once (a PC's scanners).
                const std::optional<std::string> text = ReadWholeFile(files.result);
                if (!text && !w.end && ++w.unreadable < kUnreadableLooks) {
                    continue;
                }
                finished_[i] = Result(i, files, text);
                w.script.reset();
                moved = true;
            } else if (w.end) {
                finished_[i] = Casualty(i, w);
                w.script.reset();
                w.diedWithScript = true;
                moved = true;
            } else if (Rerun(w, files, now)) {
                // A run of the script again: its limit starts again.
            } else if (limit.count() > 0 && !w.ended && now - w.since > limit + Grace(limit)) {
                // Stuck past its limit: only ending its process stops it.
                w.process->End();
                w.ended = true;
            }
        }
        return moved;
    }

    // Whether the worker started another run of its script since the last
    // look (--retries, --repeat-each): its limit is counted from then.
    bool Rerun(Worker& w, const ScriptFiles& files, Clock::time_point now) const {
        if (run_.options.retries == 0 && run_.options.repeatEach <= 1) {
            return false;
        }
        std::optional<std::string> run = ReadWholeFile(files.attempt);
        if (!run || *run == w.run) {
            return false;
        }
        w.run = std::move(*run);
        w.since = now;
        return true;
    }

    // Hands free workers their next script, ends the input of those with
    // none left, and starts workers in place of those that ended.
    bool Supply(std::size_t jobs) {
        bool moved = false;
        for (Worker& w : workers_) {
            if (w.end || w.script) {
                continue;
            }
            if (next_ >= scripts_.size()) {
                CloseInput(w);
                continue;
            }
            w.since = Clock::now();
            w.logAtScript = SizeOf(w.log);
            w.unreadable = 0;
            w.run.clear();
            if (w.process->Send(std::to_string(next_) + "\n")) {
                w.script = next_++;
                moved = true;
            }
        }
        std::size_t alive = 0;
        for (const Worker& w : workers_) {
            alive += w.end ? 0U : 1U;
        }
        while (alive < jobs && next_ < scripts_.size() && starts_ < mostStarts_) {
            if (Start()) {
                ++alive;
                moved = true;
            }
        }
        if (alive == 0 && next_ < scripts_.size()) {
            // No worker will take them.
            for (; next_ < scripts_.size(); ++next_) {
                finished_[next_] = Unstarted(next_);
            }
            moved = true;
        }
        return moved;
    }

    bool Start() {
        const std::size_t number = starts_++;
        const std::filesystem::path log = folder_ / ("worker-" + std::to_string(number) + ".log");
        platform::Result<std::unique_ptr<WorkerProcess>> process = start_(log);
        if (!process) {
            startError_ = process.error();
            return false;
        }
        Worker& w = workers_.emplace_back();
        w.process = std::move(*process);
        w.number = number;
        w.log = log;
        return true;
    }

    void CloseInput(Worker& w) {
        if (!w.inputClosed) {
            w.process->CloseInput();
            w.inputClosed = true;
        }
    }

    void EndAll() {
        for (Worker& w : workers_) {
            if (!w.end) {
                w.process->End();
                w.end = w.process->Wait();
            }
        }
    }

    // The result a worker handed back (text: the file's), checked to be the
    // script's.
    Finished Result(std::size_t i, const ScriptFiles& files,
                    const std::optional<std::string>& text) {
        Finished f;
        f.result.file = scripts_[i].file;
        f.result.className = ClassName(f.result.file, run_.common);
        const std::string named = ShownName(files.result);
        if (!text) {
            return Failed(i, named + ": cannot read the script's result");
        }
        if (const platform::Result<void> parsed = ParseResult(*text, named, &f.result, &f.end);
            !parsed) {
            return Failed(i, parsed.error());
        }
        if (script::Utf8FromPath(f.end.script) != script::Utf8FromPath(scripts_[i].file)) {
            return Failed(i, ShownName(scripts_[i].file) +
                                 ": its worker handed back the result of " +
                                 ShownName(f.end.script) + " instead");
        }
        return f;
    }

    // A script with no verdict of its own, for why.
    Finished Failed(std::size_t i, const std::string& why) {
        Finished f;
        f.result.file = scripts_[i].file;
        f.result.className = ClassName(f.result.file, run_.common);
        f.result.error = true;
        f.result.failure = why;
        f.result.output = why + '\n';
        f.end.status = kExitFailed;
        return f;
    }

    Finished Unstarted(std::size_t i) {
        return Failed(i, ShownName(scripts_[i].file) + ": no worker could run it" +
                             (startError_.empty() ? std::string() : ": " + startError_));
    }

    // A script whose worker ended before handing back its result: what it
    // left as it went, its worker's log since it started and the cause.
    Finished Casualty(std::size_t i, const Worker& w) {
        Finished f;
        f.result.file = scripts_[i].file;
        f.result.className = ClassName(f.result.file, run_.common);
        f.result.time = Clock::now() - w.since;
        f.end.status = kExitFailed;
        const ScriptFiles files = FilesOf(folder_, i);
        const Progress progress = ReadProgress(files.progress);
        const std::string name = ShownName(scripts_[i].file);
        std::string cause;
        if (w.ended) {
            cause =
                PastLimit(name, progress.current, run_.options.timeout) + "; its worker was ended";
        } else {
            const std::string where = progress.current
                                          ? name + ":" + std::to_string(progress.current->line) +
                                                ": " + progress.current->source
                                          : name;
            const std::string how = !w.end->status ? w.end->how
                                    : *w.end->status == platform::kExitSuccess
                                        ? "ended without its result"
                                        : "ended with status " + std::to_string(*w.end->status);
            cause = where + ": its worker (process " + std::to_string(w.process->Id()) + ") " + how;
            f.result.error = true;
        }
        f.result.failure = cause;
        f.result.output = ReadWholeFile(files.output).value_or(std::string()) +
                          ReadWholeFile(w.log, w.logAtScript).value_or(std::string()) + cause +
                          '\n';
        KeepLeftEvidence(run_, files, progress, cause, &f.result, &f.end.notes);
        return f;
    }

    // The output of the script in front, as it comes.
    void Echo() {
        if (written_ >= scripts_.size() || finished_[written_]) {
            return;
        }
        const std::optional<std::string> more =
            ReadWholeFile(FilesOf(folder_, written_).output, echoed_);
        if (more && !more->empty()) {
            err_ << *more;
            err_.flush();
            echoed_ += more->size();
        }
    }

    void Write(const Finished& f) {
        const std::string& output = f.result.output;
        err_ << (echoed_ < output.size() ? output.substr(echoed_) : std::string()) << f.end.notes;
        err_.flush();
    }

    // What the workers write besides their scripts' output (a font that
    // cannot be opened, a gpsd out of reach): on standard error, a line
    // another worker said already once only. last: every worker has ended.
    void Relay(bool last) {
        for (Worker& w : workers_) {
            std::vector<std::string> ready = std::move(w.fresh);
            w.fresh.clear();
            const std::optional<std::string> more = ReadWholeFile(w.log, w.logRead);
            if (more) {
                w.logRead += more->size();
                w.partial += *more;
            }
            for (std::size_t at = w.partial.find('\n'); at != std::string::npos;
                 at = w.partial.find('\n')) {
                w.fresh.push_back(w.partial.substr(0, at));
                w.partial.erase(0, at + 1);
            }
            if (last) {
                ready.insert(ready.end(), w.fresh.begin(), w.fresh.end());
                w.fresh.clear();
                if (!w.partial.empty()) {
                    ready.push_back(std::exchange(w.partial, {}));
                }
            }
            // A worker that died with its script: its lines are the script's.
            for (const std::string& line : w.diedWithScript ? std::vector<std::string>() : ready) {
                const auto [said, first] = said_.emplace(line, w.number);
                if (first || said->second == w.number) {
                    err_ << line << '\n';
                }
            }
        }
        err_.flush();
    }

    const std::vector<SuiteScript>& scripts_;
    const SuiteRun& run_;
    const std::filesystem::path& folder_;
    const StartWorker& start_;
    std::ostream& err_;

    // Held for each round of looking at the workers: an interrupt ends them
    // between two rounds, and then no round takes place.
    std::mutex workersMutex_;
    bool interrupted_ = false;
    std::list<Worker> workers_;
    std::vector<std::optional<Finished>> finished_;
    std::size_t next_ = 0;     // the next script to hand out
    std::size_t written_ = 0;  // scripts whose output is written
    std::size_t echoed_ = 0;   // of the output of the script in front
    std::size_t starts_ = 0;
    const std::size_t mostStarts_;
    std::string startError_;
    std::map<std::string, std::size_t> said_;  // a line, and the worker that said it first
};

// Removes the folders of workers whose suite ended without removing them
// (its process was killed): nobody holds their lock any more.
void RemoveDeadRunsFolders(const std::filesystem::path& temp) {
    std::error_code ec;
    std::vector<std::filesystem::path> dead;
    const auto now = std::filesystem::file_time_type::clock::now();
    for (const auto& entry : std::filesystem::directory_iterator(temp, ec)) {
        const std::string name = script::Utf8FromPath(entry.path().filename());
        std::error_code old;
        if (!name.starts_with(kFolderPrefix) || !entry.is_directory(old) ||
            now - entry.last_write_time(old) < kStaleAfter || old) {
            continue;
        }
        if (FileLock::Take(entry.path() / kFolderLock, {}, FileLock::Make::Never)) {
            dead.push_back(entry.path());
        }
    }
    for (const std::filesystem::path& folder : dead) {
        std::filesystem::remove_all(folder, ec);
    }
}

}  // namespace

int RunInWorkers(const std::vector<SuiteScript>& scripts, const SuiteRun& run,
                 const std::filesystem::path& folder, const StartWorker& start,
                 std::vector<ScriptResult>* results, std::ostream& err) {
    Pool pool(scripts, run, folder, start, err);
    return pool.Run(results);
}

int RunInWorkerProcesses(const std::vector<SuiteScript>& scripts, const SuiteRun& run,
                         std::vector<ScriptResult>* results, std::ostream& err) {
    const std::optional<std::filesystem::path> self = SelfPath();
    const platform::Result<std::filesystem::path> folder = MakeTempFolder(kFolderPrefix);
    if (!self || !folder) {
        err << "kestrin: cannot start workers for the scripts: "
            << (self ? folder.error() : "the program's own file is unknown") << '\n';
        return kExitMalformed;
    }
    RemoveDeadRunsFolders(folder->parent_path());
    // Removed last on an interrupt, after the workers have ended.
    const OnInterrupt removeFolder = RemoveOnInterrupt(*folder);
    const platform::Result<std::unique_ptr<FileLock>, LockRefused> lock = FileLock::Take(
        *folder / kFolderLock, "the files of a suite's workers\n", FileLock::Make::IfMissing);
    if (!lock) {
        // Unlocked, another suite's clean-up would take the folder for a
        // dead run's and remove it under the workers.
        err << "kestrin: cannot start workers for the scripts: cannot lock "
            << script::Utf8FromPath(*folder / kFolderLock) << ": "
            << (lock.error().why.empty()
                    ? "it is held by " +
                          (lock.error().holder.empty() ? "another process" : lock.error().holder)
                    : lock.error().why)
            << '\n';
        std::error_code ec;
        std::filesystem::remove_all(*folder, ec);
        return kExitMalformed;
    }
    RunList list{{}, run.common, run.screens};
    for (const SuiteScript& s : scripts) {
        list.scripts.push_back(s.file);
    }
    int status = kExitMalformed;
    const platform::Result<void> listed = WriteRunList(*folder / "run", list);
    if (listed) {
        std::vector<std::string> arguments = run.options.commandLine;
        arguments.emplace_back("--suite-worker");
        arguments.push_back(script::Utf8FromPath(*folder));
        const StartWorker start = [&](const std::filesystem::path& log) {
            return WorkerProcess::Start(*self, arguments, log, *folder);
        };
        status = RunInWorkers(scripts, run, *folder, start, results, err);
    } else {
        err << "kestrin: " << listed.error() << '\n';
    }
    std::error_code ec;
    std::filesystem::remove_all(*folder, ec);
    return status;
}

}  // namespace program::detail
