// Runs a script as the presenter of a headless run. Each time the framework
// waits for input, the runner first lets the system settle (the framework's
// queues empty and every thread of the target blocked), then carries out the
// next command: input goes back to the framework as events, expectations are
// checked on the windows there and then, and `wait` moves the clock from one
// timer or unit deadline to the next. When the commands are done every window is cancelled from the
// top.
//
//   host::ScriptTarget target(unit);
//   script::ScriptRunner runner(std::move(parsed), target, std::cerr);
//   ui::AfxWinMain(runner, &unit.Clock());
//   return runner.Finish();   // 0, or 1 after a failure
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>

#include "platform/exit_status.h"
#include "script/run_observer.h"
#include "script/script.h"
#include "script/target.h"
#include "ui/presenter.h"
#include "ui/types.h"

namespace ui {
class Desktop;
}

namespace script {

// A script's outcome as the program's exit status.
inline constexpr int kExitPassed = platform::kExitSuccess;
inline constexpr int kExitFailed = platform::kExitFailure;
inline constexpr int kExitMalformed = platform::kExitUsage;

struct RunnerOptions {
    // Where `screenshot` puts a relative file; empty: the script's folder.
    std::filesystem::path screenshotFolder;
    // How long the system may keep running on its own (real time) before
    // the script fails instead of hanging.
    std::chrono::milliseconds settleLimit{20000};
    // Written when the last command has run, before the windows close.
    std::filesystem::path finalScreenshot;
    // On real time a target that does not settle (a thread busy on a host
    // device) is waited for this long before each command, then the command
    // runs anyway.
    std::chrono::milliseconds realTimeSettle{250};
    // Where a failure leaves its evidence (the screen at that moment, the
    // debug lines, the actual and difference pictures of a screen
    // comparison); empty: nowhere.
    std::filesystem::path artifactsFolder;
    // `expect screen` writes its reference instead of comparing.
    bool updateScreens = false;
    // Told about each command as it starts and ends; nullptr: nobody.
    RunObserver* observer = nullptr;
    // The wall-clock time by which the script must have ended (its time
    // limit, timeLimit, counted from its start): past it the script fails on
    // the line it is on. Checked between the runner's steps; nullopt: none.
    std::optional<std::chrono::steady_clock::time_point> deadline;
    std::chrono::milliseconds timeLimit{0};
};

class ScriptRunner final : public ui::Presenter {
  public:
    // target must outlive the runner; failures and notes are written to log.
    ScriptRunner(Script script, Target& target, std::ostream& log, RunnerOptions options = {});

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

    bool TakeWoken();
    bool WaitWoken(std::chrono::milliseconds limit);
    // False once the settle limit is over (the script has failed then).
    bool Settle(ui::Desktop& desktop, bool* settled);
    Step Execute(const Command& c, ui::Desktop& desktop);
    // Checks an expectation now; what is wrong, or nothing when it holds.
    std::optional<std::string> Check(const Command& c, ui::Desktop& desktop);
    std::optional<std::string> CheckControl(const Command& c, ui::Desktop& desktop);
    std::optional<std::string> CheckDebug(const Command& c);
    std::optional<std::string> CheckFit(ui::Desktop& desktop);
    std::optional<std::string> CheckScreen(const Command& c, ui::Desktop& desktop);
    // Runs an expectation: it holds, fails, or (with `within` and time left)
    // is tried again after a step of the clock.
    Step Expect(const Command& c, ui::Desktop& desktop);
    // Starts a `wait` (or a retry's step) of ms from now.
    void StartWait(const Command& c, std::uint64_t ms);
    // Real time: sleeps until the wait's end or the framework's deadline,
    // whichever is first, or until woken.
    void SleepReal(std::optional<std::uint64_t> deadlineMs);
    // The evidence of a failure, into the artifacts folder; what the
    // failure line adds about it, and why some of it could not be kept.
    std::string KeepEvidence(const Command* c, ui::Desktop* desktop, std::string* problems);
    std::filesystem::path ReferencePath(const std::string& file) const;
    // The reference of `expect screen`, of the area's size; why it cannot be
    // used (a picture of another size is not decoded).
    std::optional<std::string> ReadReference(const Command& c, ui::Framebuffer* picture) const;
    // The pictures of a failed `expect screen`, for the evidence and the trace.
    void TakePictures(const Command& c, ui::Desktop& desktop);
    // The observer's record of the command in progress, as it ends.
    void ReportEnded(ui::Desktop* desktop, const std::string& failure = {});
    ui::InputEvent EndOfScript(ui::Desktop& desktop);
    // Fails the run on the line it is on once its deadline has passed.
    bool PastDeadline();
    // Virtual time, at the end, nothing to cancel or a window waiting for
    // its worker: the clock moves on for that worker, or the run fails.
    ui::InputEvent WaitAtTheEnd(const ui::Desktop& desktop);
    // Writes "<script>:<line>: <source>: <message>" and marks the run failed.
    Step Fail(const Command& c, const std::string& message);
    // A failure that belongs to no line (the end of the run).
    void FailAtEnd(const std::string& message);
    // The control a command names, or a failure.
    std::optional<ui::HWND> Control(const Command& c, ui::Desktop& desktop, std::string* why);
    void Press(ui::InputEvent::Kind kind, int x, int y);
    std::filesystem::path ScreenshotPath(const std::string& file) const;
    bool WriteScreen(ui::Desktop& desktop, const std::filesystem::path& file, std::string* error);
    // Writes a PNG where a script names one: never into a FIFO or a device.
    static bool WritePicture(const ui::Framebuffer& picture, const std::filesystem::path& file,
                             std::string* error);

    Script script_;
    Target& target_;
    std::ostream& log_;
    RunnerOptions options_;

    std::size_t next_ = 0;                  // the next command to run
    std::optional<std::uint64_t> waitEnd_;  // a `wait` in progress
    const Command* waiting_ = nullptr;
    std::optional<Retry> retry_;
    bool advanced_ = false;               // the clock moved: settle, then the framework's turn
    int stuckRounds_ = 0;                 // steps of a wait that found the clock already there
    std::deque<ui::InputEvent> pending_;  // events of the command that ran
    std::size_t debugSeen_ = 0;           // debug lines already looked at
    bool failed_ = false;
    std::string failure_;
    bool finalShotWritten_ = false;
    ui::HWND lastCancelled_ = nullptr;
    int cancels_ = 0;
    std::optional<std::chrono::steady_clock::time_point> busySince_;
    std::optional<std::chrono::steady_clock::time_point> threadWaitSince_;
    std::optional<std::uint64_t> endWaitFrom_;  // the unit's clock as WaitAtTheEnd began
    std::uint64_t frames_ = 0;

    // For the observer: the command in progress and when it started, what
    // was already reported of the debug lines and message boxes.
    const Command* current_ = nullptr;
    std::chrono::steady_clock::time_point currentSince_;
    std::size_t debugReported_ = 0;
    ui::HWND boxReported_ = nullptr;
    std::optional<ScreenPictures> pictures_;

    std::mutex wakeMutex_;
    std::condition_variable wakeCv_;
    bool woken_ = false;
};

}  // namespace script
