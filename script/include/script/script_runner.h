// Runs a script as the presenter of a headless run. Each time the framework
// waits for input, the runner first lets the system settle (the framework's
// queues empty and every thread of the target blocked), then carries out the
// next command: input goes back to the framework as events, expectations are
// checked on the windows there and then, and `wait` moves the clock from one
// timer or unit deadline to the next (ClockStepper). When the commands are
// done every window is cancelled from the top.
//
//   host::ScriptTarget target(unit);
//   script::ScriptRunner runner(std::move(parsed), target, std::cerr);
//   ui::AfxWinMain(runner, &unit.Clock());
//   return runner.Finish();   // 0, or 1 after a failure
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "script/clock_stepper.h"
#include "script/run_observer.h"
#include "script/run_options.h"
#include "script/script.h"
#include "script/target.h"
#include "ui/presenter.h"
#include "ui/types.h"

namespace ui {
class Desktop;
}

namespace script::detail {
class CommandReports;
class Evidence;
class Executor;
class Expectations;
}  // namespace script::detail

namespace script {

class ScriptRunner final : public ui::Presenter {
  public:
    // target must outlive the runner; failures and notes are written to log.
    ScriptRunner(Script script, Target& target, std::ostream& log, RunnerOptions options = {});
    ~ScriptRunner() override;
    ScriptRunner(const ScriptRunner&) = delete;
    ScriptRunner& operator=(const ScriptRunner&) = delete;

    void Present(const ui::Framebuffer& screen) override;
    ui::InputEvent WaitEvent(std::optional<std::uint64_t> deadlineMs) override;
    void Wake() override;

    // After the run: kExitPassed, or kExitFailed when an expectation or a
    // command failed or the program ended before the script did (which is
    // reported here).
    int Finish();

    [[nodiscard]] bool Failed() const { return failed_; }
    // The first failure as it was reported ("FILE:LINE: command: why").
    [[nodiscard]] const std::string& FailureMessage() const { return failure_; }
    // The line of the first failure; 0: none, or one that belongs to no line.
    [[nodiscard]] int FailedLine() const { return failedLine_; }
    // It has stopped before RunnerOptions::stopBefore, settled.
    [[nodiscard]] bool Stopped() const { return stopped_; }
    // Commands carried out so far.
    [[nodiscard]] std::size_t CommandsRun() const { return next_; }
    [[nodiscard]] std::uint64_t FramesPresented() const { return frames_; }

  private:
    // What a command leaves for the loop.
    enum class Step { Next, Quit };
    // An expectation with `within` that does not hold yet.
    struct Retry {
        const Command* command = nullptr;
        std::uint64_t untilMs = 0;
    };

    // One turn of WaitEvent's loop on a settled target: an event for the
    // framework, or nothing when the loop goes on.
    std::optional<ui::InputEvent> Turn(ui::Desktop& desktop,
                                       std::optional<std::uint64_t> deadlineMs);
    std::optional<ui::InputEvent> StepWait(ui::Desktop& desktop,
                                           std::optional<std::uint64_t> deadlineMs);
    std::optional<ui::InputEvent> TakePending();
    static ui::InputEvent QuitEvent();
    ui::InputEvent RunNext(ui::Desktop& desktop);
    Step Execute(const Command& c, ui::Desktop& desktop);
    // Runs an expectation: it holds, fails, or (with `within` and time left)
    // is tried again after a step of the clock.
    Step Expect(const Command& c, const Expectation& e, ui::Desktop& desktop);
    ui::InputEvent EndOfScript(ui::Desktop& desktop);
    // Virtual time, at the end, nothing to cancel or a window waiting for
    // its worker: the clock moves on for that worker, or the run fails.
    ui::InputEvent WaitAtTheEnd(const ui::Desktop& desktop);
    // Fails the run on the line it is on once its deadline has passed.
    bool PastDeadline();
    // The command a failure of the run belongs to: the one in progress or
    // the next; nullptr at the end.
    const Command* CommandAt(const Command* inProgress) const;
    // Writes "<script>:<line>: <source>: <message>" and marks the run failed.
    Step Fail(const Command& c, const std::string& message);
    // A failure that belongs to no line (the end of the run).
    void FailAtEnd(const std::string& message);
    // The pictures of the command's failed `expect screen`, if any.
    [[nodiscard]] const ScreenPictures* PicturesOf(const Command& c) const;

    Script script_;
    Target& target_;
    std::ostream& log_;
    RunnerOptions options_;
    ClockStepper stepper_;
    std::unique_ptr<detail::Executor> executor_;
    std::unique_ptr<detail::Expectations> expectations_;
    std::unique_ptr<detail::Evidence> evidence_;
    std::unique_ptr<detail::CommandReports> reports_;

    std::size_t next_ = 0;              // the next command to run
    const Command* waiting_ = nullptr;  // a `wait` (or a retry's step) in progress
    std::optional<Retry> retry_;
    bool failed_ = false;
    int failedLine_ = 0;
    bool stopped_ = false;
    std::string failure_;
    bool finalShotWritten_ = false;
    bool finalTreeWritten_ = false;
    ui::HWND lastCancelled_ = nullptr;
    int cancels_ = 0;
    std::optional<std::chrono::steady_clock::time_point> threadWaitSince_;
    std::uint64_t frames_ = 0;
    std::optional<ScreenPictures> pictures_;
};

}  // namespace script
