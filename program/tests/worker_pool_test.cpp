// The suite's side of its workers, with workers that are threads doing what
// each test plans: every script goes to one worker, a worker is handed the
// next as soon as it is free whatever the others do, a dead worker is
// replaced while others run and its script keeps its own worker's cause and
// log, and a result is taken only for the script it names.
#include "worker_pool.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <fstream>
#include <limits>
#include <mutex>
#include <sstream>
#include <thread>

#include "result_file.h"
#include "test_folder.h"

namespace program::detail {
namespace {

constexpr std::size_t kNobody = std::numeric_limits<std::size_t>::max();
constexpr const char* kWarning = "kestrin: a warning of every worker\n";

enum class Does {
    HandBack,          // its result
    HandBackAnother,   // the result of the next script of the list
    Die,               // writes some output, then dies
    WaitForTheOthers,  // its result once every other script is done (5 s at most)
};

// What the workers of one test share.
struct Plan {
    std::filesystem::path folder;
    std::vector<std::filesystem::path> scripts;
    std::function<Does(std::size_t worker, std::size_t script)> does;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::size_t> ranBy;  // for each script, the worker that was handed it
    std::vector<bool> done;          // its result is back, or its worker died
};

class FakeWorker final : public WorkerProcess {
  public:
    // Every worker says the same once as it starts, as a real one says that
    // a font cannot be used.
    FakeWorker(Plan& plan, std::size_t number, std::filesystem::path log)
        : plan_(plan), number_(number), log_(std::move(log)) {
        std::ofstream(log_, std::ios::binary) << kWarning;
        thread_ = std::thread([this] { Serve(); });
    }
    ~FakeWorker() override {
        End();
        thread_.join();
    }

    [[nodiscard]] long Id() const override { return 1000 + static_cast<long>(number_); }
    bool Send(std::string_view line) override {
        const std::lock_guard lock(mutex_);
        if (end_) {
            return false;
        }
        handed_.push_back(std::stoul(std::string(line)));
        changed_.notify_all();
        return true;
    }
    void CloseInput() override {
        const std::lock_guard lock(mutex_);
        closed_ = true;
        changed_.notify_all();
    }
    void End() override {
        const std::lock_guard lock(mutex_);
        killed_ = true;
        changed_.notify_all();
    }
    std::optional<ProcessEnd> Poll() override {
        const std::lock_guard lock(mutex_);
        return end_;
    }
    ProcessEnd Wait() override {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return end_.has_value(); });
        return *end_;
    }

  private:
    void Serve() {
        for (;;) {
            std::optional<std::size_t> next;
            bool killed = false;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] { return killed_ || closed_ || !handed_.empty(); });
                killed = killed_;
                if (!killed_ && !handed_.empty()) {
                    next = handed_.front();
                    handed_.pop_front();
                }
            }
            if (!next) {
                Ended(killed ? ProcessEnd{std::nullopt, "was killed by signal 9 (Killed)"}
                             : ProcessEnd{0, {}});
                return;
            }
            const std::size_t i = *next;
            const ScriptFiles files = FilesOf(plan_.folder, i);
            std::ofstream(files.output, std::ios::binary) << "output of " << i << '\n';
            Does does = Does::HandBack;
            {
                const std::lock_guard lock(plan_.mutex);
                plan_.ranBy[i] = number_;
                does = plan_.does(number_, i);
            }
            if (does == Does::Die) {
                std::ofstream(log_, std::ios::binary | std::ios::app)
                    << "worker " << number_ << " dies\n";
                Finished(i);
                Ended({std::nullopt, "was killed by signal 11 (Segmentation fault)"});
                return;
            }
            if (does == Does::WaitForTheOthers) {
                std::unique_lock lock(plan_.mutex);
                plan_.changed.wait_for(lock, std::chrono::seconds(5), [&] {
                    return std::count(plan_.done.begin(), plan_.done.end(), true) + 1 ==
                           static_cast<std::ptrdiff_t>(plan_.done.size());
                });
            }
            const std::size_t named =
                does == Does::HandBackAnother ? (i + 1) % plan_.scripts.size() : i;
            ScriptResult result;
            result.passed = true;
            result.output = "output of " + std::to_string(i) + '\n';
            std::filesystem::path partial = files.result;
            partial += ".part";
            const platform::Result<void> written =
                WriteResultFile(partial, result, {script::kExitPassed, {}, plan_.scripts[named]});
            EXPECT_TRUE(written) << written.error();
            std::filesystem::rename(partial, files.result);
            Finished(i);
        }
    }

    void Finished(std::size_t i) {
        const std::lock_guard lock(plan_.mutex);
        plan_.done[i] = true;
        plan_.changed.notify_all();
    }

    void Ended(ProcessEnd end) {
        const std::lock_guard lock(mutex_);
        end_ = std::move(end);
        changed_.notify_all();
    }

    Plan& plan_;
    const std::size_t number_;
    const std::filesystem::path log_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::size_t> handed_;
    bool closed_ = false;
    bool killed_ = false;
    std::optional<ProcessEnd> end_;
    std::thread thread_;  // started last
};

struct Outcome {
    int status = -1;
    std::vector<ScriptResult> results;
    std::string err;
    std::size_t starts = 0;
    std::vector<std::size_t> ranBy;
};

// scripts scripts run by jobs fake workers doing what does says.
Outcome RunPlan(std::size_t scripts, int jobs,
                std::function<Does(std::size_t worker, std::size_t script)> does) {
    const test::TestFolder folder;
    Plan plan;
    plan.folder = folder.path();
    plan.does = std::move(does);
    plan.ranBy.assign(scripts, kNobody);
    plan.done.assign(scripts, false);
    std::vector<SuiteScript> suite;
    for (std::size_t i = 0; i < scripts; ++i) {
        plan.scripts.push_back(folder.path() / ("s" + std::to_string(i) + ".ks"));
        suite.push_back({plan.scripts.back(), {}});
    }
    SuiteOptions options;
    options.jobs = jobs;
    const std::optional<std::filesystem::path> screenshot;
    const RunOne runOne;
    const SuiteRun run{options, screenshot, runOne, folder.path(), {}};
    Outcome outcome;
    const StartWorker start = [&](const std::filesystem::path& log) {
        return platform::Result<std::unique_ptr<WorkerProcess>>(
            std::make_unique<FakeWorker>(plan, outcome.starts++, log));
    };
    std::ostringstream err;
    outcome.status = RunInWorkers(suite, run, folder.path(), start, &outcome.results, err);
    outcome.err = err.str();
    outcome.ranBy = plan.ranBy;
    return outcome;
}

std::string OutputsInOrder(std::size_t scripts) {
    std::string text;
    for (std::size_t i = 0; i < scripts; ++i) {
        text += "output of " + std::to_string(i) + '\n';
    }
    return text;
}

TEST(WorkerPoolTest, AFreeWorkerIsHandedTheNextScriptWhileTheOthersAreBusy) {
    // Worker 0 holds its script until all the others are done: worker 1
    // runs them all meanwhile.
    const Outcome o = RunPlan(7, 2, [](std::size_t worker, std::size_t) {
        return worker == 0 ? Does::WaitForTheOthers : Does::HandBack;
    });
    EXPECT_EQ(o.status, script::kExitPassed);
    EXPECT_EQ(o.starts, 2U);
    EXPECT_EQ(o.ranBy, (std::vector<std::size_t>{0, 1, 1, 1, 1, 1, 1}));
    ASSERT_EQ(o.results.size(), 7U);
    for (std::size_t i = 0; i < o.results.size(); ++i) {
        EXPECT_EQ(o.results[i].file.filename(), "s" + std::to_string(i) + ".ks");
        EXPECT_TRUE(o.results[i].passed);
    }
    // What the workers say besides comes once, whatever its place.
    std::string err = o.err;
    const std::size_t warning = err.find(kWarning);
    ASSERT_NE(warning, std::string::npos) << err;
    err.erase(warning, std::string(kWarning).size());
    EXPECT_EQ(err, OutputsInOrder(7));
}

TEST(WorkerPoolTest, ADeadWorkerIsReplacedAtOnceAndItsScriptKeepsItsOwnCauseAndLog) {
    // Worker 1 dies on its first script while worker 0 holds its own until
    // the others are done: only a worker started at once runs them.
    const Outcome o = RunPlan(6, 2, [](std::size_t worker, std::size_t) {
        return worker == 0 ? Does::WaitForTheOthers : worker == 1 ? Does::Die : Does::HandBack;
    });
    EXPECT_EQ(o.status, script::kExitFailed);
    EXPECT_EQ(o.starts, 3U);
    EXPECT_EQ(o.ranBy, (std::vector<std::size_t>{0, 1, 2, 2, 2, 2}));
    ASSERT_EQ(o.results.size(), 6U);
    const ScriptResult& dead = o.results[1];
    EXPECT_TRUE(dead.error);
    EXPECT_FALSE(dead.passed);
    const std::string cause = ShownName(dead.file) +
                              ": its worker (process 1001) was killed by signal 11 (Segmentation "
                              "fault)";
    EXPECT_EQ(dead.failure, cause);
    EXPECT_EQ(dead.output, "output of 1\nworker 1 dies\n" + cause + '\n')
        << "its output so far and its own worker's log, no other's";
    for (const std::size_t i : {0U, 2U, 3U, 4U, 5U}) {
        EXPECT_TRUE(o.results[i].passed) << i << ": " << o.results[i].failure;
    }
    EXPECT_EQ(Verdict(o.results), "5 passed, 0 failed, 1 error");
}

TEST(WorkerPoolTest, AResultIsTakenOnlyForTheScriptItNames) {
    const Outcome o = RunPlan(3, 1, [](std::size_t, std::size_t script) {
        return script == 1 ? Does::HandBackAnother : Does::HandBack;
    });
    ASSERT_EQ(o.results.size(), 3U);
    EXPECT_TRUE(o.results[0].passed);
    EXPECT_TRUE(o.results[1].error);
    EXPECT_EQ(o.results[1].failure, ShownName(o.results[1].file) +
                                        ": its worker handed back the result of " +
                                        ShownName(o.results[2].file) + " instead");
    EXPECT_TRUE(o.results[2].passed);
    EXPECT_EQ(o.status, script::kExitFailed);
}

}  // namespace
}  // namespace program::detail
