// Runs a script as the presenter of a headless run. Each time the framework
// waits for input, the runner first lets the system settle (the framework's
// queues empty and every thread of the target blocked), then carries out the
// next command: input goes back to the framework as events, expectations are
// checked on the windows there and then, and `wait` moves the clock from one
// timer or unit deadline to the next. When the commands are done every window is cancelled from the
// top.
//
//   program::UnitTarget target(unit);
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

#include "script/script.h"
#include "script/target.h"
#include "ui/presenter.h"
#include "ui/types.h"

namespace ui {
class Desktop;
}

namespace script {

inline constexpr int kExitPassed = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitMalformed = 2;

struct RunnerOptions {
    // Where `screenshot` puts a relative file; empty: the working directory.
    std::filesystem::path screenshotFolder;
    // How long the system may keep running on its own (real time) before
    // the script fails instead of hanging.
    std::chrono::milliseconds settleLimit{20000};
    // Written when the last command has run, before the windows close.
    std::filesystem::path finalScreenshot;
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
    // Commands carried out so far.
    [[nodiscard]] std::size_t CommandsRun() const { return next_; }
    [[nodiscard]] std::uint64_t FramesPresented() const { return frames_; }

  private:
    // What a command leaves for the loop.
    enum class Step { Next, Quit };

    bool TakeWoken();
    bool WaitWoken(std::chrono::milliseconds limit);
    // False once the settle limit is over (the script has failed then).
    bool Settle(bool* settled);
    Step Execute(const Command& c, ui::Desktop& desktop);
    Step Expect(const Command& c, ui::Desktop& desktop);
    ui::InputEvent EndOfScript(ui::Desktop& desktop);
    // Writes "<script>:<line>: <source>: <message>" and marks the run failed.
    Step Fail(const Command& c, const std::string& message);
    Step Mismatch(const Command& c, const std::string& expected, const std::string& found);
    // The control a command names, or a failure.
    std::optional<ui::HWND> Control(const Command& c, ui::Desktop& desktop);
    void Press(ui::InputEvent::Kind kind, int x, int y);
    std::filesystem::path ScreenshotPath(const std::string& file) const;
    bool WriteScreen(ui::Desktop& desktop, const std::filesystem::path& file, std::string* error);

    Script script_;
    Target& target_;
    std::ostream& log_;
    RunnerOptions options_;

    std::size_t next_ = 0;                  // the next command to run
    std::optional<std::uint64_t> waitEnd_;  // a `wait` in progress
    const Command* waiting_ = nullptr;
    bool advanced_ = false;               // the clock moved: settle, then the framework's turn
    int stuckRounds_ = 0;                 // steps of a wait that found the clock already there
    std::deque<ui::InputEvent> pending_;  // events of the command that ran
    std::size_t debugSeen_ = 0;           // debug lines already looked at
    bool failed_ = false;
    bool finalShotWritten_ = false;
    ui::HWND lastCancelled_ = nullptr;
    int cancels_ = 0;
    std::optional<std::chrono::steady_clock::time_point> busySince_;
    std::optional<std::chrono::steady_clock::time_point> threadWaitSince_;
    std::uint64_t frames_ = 0;

    std::mutex wakeMutex_;
    std::condition_variable wakeCv_;
    bool woken_ = false;
};

}  // namespace script
