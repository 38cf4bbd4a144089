#include "program/run.h"

#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "app/console_app.h"
#include "frame_keeper.h"
#include "framework_prompt.h"
#include "handover_presenter.h"
#include "kestrin_version.h"
#include "open_at.h"
#include "platform/exit_status.h"
#include "platform/services.h"
#include "platform/world.h"
#include "program/interrupt.h"
#include "program/suite.h"
#include "recorder.h"
#include "script/script_runner.h"
#include "script/utf8_path.h"
#include "tour_folder.h"
#include "tour_script.h"
#include "traffic_monitor.h"
#include "ui/app.h"
#include "ui/demo_dialog.h"
#include "ui/desktop.h"
#include "ui/graphics.h"
#include "whole_file.h"

namespace program {

namespace {

using Purpose = SessionRequest::Purpose;

// Answers every message box OK from the start and lists each on out: the
// tour then shows the pages, whatever the console has to say.
template <class App>
class AnsweringApp final : public App {
  public:
    explicit AnsweringApp(std::ostream& out) : out_(out) {}
    ui::BOOL InitInstance() override {
        if (ui::Desktop* desktop = ui::Desktop::Current()) {
            desktop->SetMessageBoxHook([this](const ui::MessageBoxInfo& box) {
                out_ << "Message box answered OK: " << box.text << '\n';
                return std::optional<int>(platform::IDOK);
            });
        }
        return App::InitInstance();
    }

  private:
    std::ostream& out_;
};

std::unique_ptr<ui::CWinApp> MakeApp(const Options& options, bool answering, std::ostream& out) {
    if (options.demo) {
        return std::make_unique<ui::demo::CDemoApp>();
    }
    if (answering) {
        return std::make_unique<AnsweringApp<CConsoleApp>>(out);
    }
    return std::make_unique<CConsoleApp>();
}

// A loaded session with the program's prompt, installed for its life as a
// world of its own: the run's application object, windows and threads are
// the run's alone, and none of them outlives it into the next.
class Installed {
  public:
    Installed(std::unique_ptr<Session> session, std::ostream& err, unsigned monitor)
        : monitor_(monitor != 0
                       ? std::make_unique<TrafficMonitor>(monitor, session->Target(), stderr)
                       : nullptr),
          session_(std::move(session)),
          prompt_(err),
          installed_(std::make_shared<platform::World>(WithPrompt())) {}

    Session& session() { return *session_; }
    platform::Clock& clock() { return *session_->Services().clock; }

  private:
    platform::Services WithPrompt() {
        platform::Services services = session_->Services();
        services.prompt = &prompt_;
        return services;
    }

    // Heard by the session's unit until it is gone, so it goes after it.
    std::unique_ptr<TrafficMonitor> monitor_;
    std::unique_ptr<Session> session_;
    FrameworkPrompt prompt_;
    platform::ScopedWorld installed_;
};

// The session installed, its prompt on err; why it cannot be loaded (the
// line to write).
platform::Result<std::unique_ptr<Installed>> Load(Seam& seam, const SessionRequest& request,
                                                  std::ostream& out, std::ostream& err,
                                                  unsigned monitor) {
    platform::Result<std::unique_ptr<Session>> session = seam.Load(request, out);
    if (!session) {
        return platform::Fail(session.error());
    }
    return std::make_unique<Installed>(std::move(*session), err, monitor);
}

// The session's end products are written; false after the reason is
// written to err.
bool Finished(Session& session, std::ostream& err) {
    if (const platform::Result<void> finished = session.Finish(); !finished) {
        err << "kestrin: " << finished.error() << '\n';
        return false;
    }
    return true;
}

// "--a", "--a and --b", "--a, --b and --c"
std::string Listed(const std::vector<std::string_view>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) {
            text += i + 1 == names.size() ? " and " : ", ";
        }
        text += names[i];
    }
    return text;
}

// One script of a run on a session of its own (suite: on a fresh copy of
// the unit, never in place).
RunOne ScriptRunOf(const Options& options, Seam& seam, bool suite, std::ostream& out) {
    return [&options, &seam, suite, &out](script::Script s, script::RunnerOptions runnerOptions,
                                          std::ostream& log) -> RunOutcome {
        runnerOptions.backend = seam.traits().backend;
        const platform::Result<std::unique_ptr<Installed>> loaded =
            Load(seam, {Purpose::Script, !options.realTime, suite}, out, log, options.monitor);
        if (!loaded) {
            log << loaded.error() << '\n';
            return {platform::kExitUsage, {}};
        }
        const std::unique_ptr<Installed>& run = *loaded;
        const std::unique_ptr<ui::CWinApp> app = MakeApp(options, false, out);
        script::RunnerOptions mine = runnerOptions;
        mine.finalWindowTree = options.dumpTree.value_or(std::filesystem::path());
        script::ScriptRunner runner(std::move(s), run->session().Target(), log, mine);
        ui::AfxWinMain(runner, &run->clock());
        const bool passed = runner.Finish() == script::kExitPassed && Finished(run->session(), log);
        return {passed ? script::kExitPassed : script::kExitFailed, runner.FailureMessage()};
    };
}

// The scripts, each on a session of its own: a single script file in this
// process, a suite in worker processes.
int RunScripts(const Options& options, Seam& seam, std::vector<SuiteScript> scripts,
               std::ostream& out, std::ostream& err) {
    const bool several = scripts.size() > 1;
    if (several && (options.screenshot || options.dumpTree || seam.EndProductsWanted())) {
        const std::vector<std::string_view> products = EndProductOptions(seam.OwnOptions());
        err << "kestrin: " << Listed(products) << (products.size() > 1 ? " go" : " goes")
            << " with one script\n";
        return platform::kExitUsage;
    }
    if (options.suite.repeatEach > 1 && seam.traits().wallClockOnly) {
        err << "kestrin: --repeat-each compares runs on the virtual clock, and here every script "
               "runs on the wall clock\n";
        return platform::kExitUsage;
    }
    // Only a single script file named may run on the unit in place.
    std::error_code ec;
    // A script run again (--retries, --repeat-each) runs each time on a fresh copy.
    const bool suite = options.scripts.size() != 1 ||
                       !std::filesystem::is_regular_file(options.scripts[0], ec) ||
                       options.suite.retries > 0 || options.suite.repeatEach > 1;
    return RunSuite(std::move(scripts), options.suite, suite, options.screenshot,
                    ScriptRunOf(options, seam, suite, out), out, err);
}

// Takes the first status over a later failure.
void Fail(int* status) {
    *status = *status != platform::kExitSuccess ? *status : script::kExitFailed;
}

// The window and what sits over it: the recorder, the unit's keys, the
// frame keeper (the last frame, for --screenshot).
struct WindowParts {
    OpenedWindow window;
    std::string error;  // why there is no window.presenter
    // An interrupt closes the window as its close box does: the recording is
    // written and the unit's copy removed.
    std::optional<StopOnInterrupt> stop;
    std::unique_ptr<Recorder> recorder;
    std::unique_ptr<ui::Presenter> keys;
    std::unique_ptr<FrameKeeper> keeper;
};

// The window on the session, with its parts when it could be made; a
// recording goes on from the script lines of `manner` (--open-at).
std::unique_ptr<WindowParts> OpenParts(const Options& options, Seam& seam, Installed& run,
                                       const Hooks& hooks, Recorder::Manner manner) {
    auto parts = std::make_unique<WindowParts>();
    platform::Result<OpenedWindow> opened = seam.OpenWindow(
        run.session(), {.scale = options.scale, .title = "Kestrin", .hidden = hooks.hiddenWindow});
    if (!opened) {
        parts->error = opened.error();
        return parts;
    }
    parts->window = std::move(*opened);
    if (parts->window.close) {
        parts->stop.emplace(parts->window.close);
    }
    if (parts->window.presenter == nullptr) {
        return parts;
    }
    // The recorder sees the window's events first, the unit's keys among them.
    ui::Presenter* input = parts->window.presenter.get();
    if (options.record) {
        manner.pointer = parts->window.pointer;
        manner.unitKeys = seam.traits().unitKeys;
        manner.replayWith = seam.traits().replayWith;
        parts->recorder =
            std::make_unique<Recorder>(*input, run.clock(), *options.record, std::move(manner));
        input = parts->recorder.get();
    }
    parts->keys = run.session().HardwareKeyPresenter(*input);
    parts->keeper = std::make_unique<FrameKeeper>(parts->keys != nullptr ? *parts->keys : *input);
    parts->keeper->afterPresent = hooks.afterPresent;
    return parts;
}

// What the window leaves when it has closed: the recording, the screenshot,
// the session's end products. A failure makes *status 1.
void FinishWindow(const Options& options, WindowParts& parts, Installed& run, std::ostream& err,
                  int* status) {
    if (parts.recorder != nullptr) {
        if (const platform::Result<void> saved = parts.recorder->Save(); !saved) {
            err << "kestrin: " << saved.error() << '\n';
            Fail(status);
        }
    }
    if (options.screenshot && parts.keeper->Frames() > 0) {
        if (const platform::Result<void> written =
                ui::WritePng(parts.keeper->LastFrame(), script::Utf8FromPath(*options.screenshot));
            !written) {
            err << "kestrin: " << written.error() << '\n';
            Fail(status);
        }
    }
    if (!Finished(run.session(), err)) {
        Fail(status);
    }
}

// The console in the window until it is closed. nullopt when no window
// could be made and the seam takes the tour instead (said on out).
std::optional<int> RunWindow(const Options& options, Seam& seam, std::ostream& out,
                             std::ostream& err, const Hooks& hooks) {
    const platform::Result<std::unique_ptr<Installed>> loaded =
        Load(seam, {Purpose::Window, false, false}, out, err, options.monitor);
    if (!loaded) {
        err << loaded.error() << '\n';
        return platform::kExitUsage;
    }
    const std::unique_ptr<Installed>& run = *loaded;
    const std::unique_ptr<WindowParts> parts = OpenParts(options, seam, *run, hooks, {});
    if (parts->window.presenter == nullptr) {
        if (!seam.traits().tourWithoutWindow) {
            err << "kestrin: no window: " << parts->error << '\n';
            return platform::kExitUsage;
        }
        out << "No window (" << parts->error << "): running the tour of the pages headless.\n";
        return std::nullopt;
    }
    const std::unique_ptr<ui::CWinApp> app = MakeApp(options, false, out);
    int status = ui::AfxWinMain(*parts->keeper, &run->clock());
    FinishWindow(options, *parts, *run, err, &status);
    return status;
}

// --open-at fail: the line of the script's first failure, from a run of it
// headless on a fresh copy (on the virtual clock the same run as the one
// opened). 0: it fails at its end, past its last line; nullopt: it passes,
// or cannot run (*status says which).
std::optional<int> FailingLine(const Options& options, Seam& seam, const SuiteScript& script,
                               std::ostream& out, std::ostream& err, int* status) {
    const platform::Result<std::unique_ptr<Installed>> loaded =
        Load(seam, {Purpose::Script, !options.realTime, true}, out, err, options.monitor);
    if (!loaded) {
        err << loaded.error() << '\n';
        *status = platform::kExitUsage;
        return std::nullopt;
    }
    const std::unique_ptr<Installed>& run = *loaded;
    const std::unique_ptr<ui::CWinApp> app = MakeApp(options, false, out);
    script::RunnerOptions runnerOptions;
    runnerOptions.backend = seam.traits().backend;
    std::ostringstream log;
    script::ScriptRunner runner(script.script, run->session().Target(), log, runnerOptions);
    ui::AfxWinMain(runner, &run->clock());
    if (runner.Finish() == script::kExitPassed) {
        out << ShownName(script.file) << " passes: no failure to open the window at\n";
        *status = platform::kExitSuccess;
        return std::nullopt;
    }
    out << runner.FailureMessage() << '\n';
    return runner.FailedLine();
}

// --open-at: the script's lines before the line on the virtual clock (a
// PC's wall clock), then the window on that state, the clock going on in
// real time.
int RunOpenAt(const Options& options, Seam& seam, SuiteScript script, std::ostream& out,
              std::ostream& err, const Hooks& hooks) {
    const OpenAt& at = *options.openAt;
    const std::string shown = ShownName(script.file);
    if (at.file) {
        if (const platform::Result<void> same = detail::NamesTheScript(*at.file, script.file);
            !same) {
            err << "kestrin: " << same.error() << '\n';
            return platform::kExitUsage;
        }
    }
    const std::string text = detail::ReadWholeFile(script.file).value_or(std::string());
    const std::size_t lines = detail::LineCount(text);
    if (at.kind == OpenAt::Kind::Line) {
        if (const platform::Result<std::size_t> index =
                detail::CommandAtLine(script.script, lines, at.line);
            !index) {
            err << "kestrin: " << index.error() << '\n';
            return platform::kExitUsage;
        }
    }
    if (const platform::Result<void> display = seam.DisplayReady(); !display) {
        err << "kestrin: --open-at opens the window, and there is no display (" << display.error()
            << ")\n";
        return platform::kExitUsage;
    }
    std::size_t before = script.script.commands.size();
    int line = at.line;
    if (at.kind == OpenAt::Kind::Fail) {
        int status = platform::kExitSuccess;
        const std::optional<int> failing = FailingLine(options, seam, script, out, err, &status);
        if (!failing) {
            return status;
        }
        line = *failing;
    }
    if (line > 0) {
        const platform::Result<std::size_t> index =
            detail::CommandAtLine(script.script, lines, line);
        if (!index) {
            err << "kestrin: " << index.error() << '\n';
            return platform::kExitUsage;
        }
        before = *index;
    }
    const int opensAt =
        before < script.script.commands.size() ? script.script.commands[before].line : 0;
    const platform::Result<std::unique_ptr<Installed>> loaded =
        Load(seam, {Purpose::Window, !options.realTime, false}, out, err, options.monitor);
    if (!loaded) {
        err << loaded.error() << '\n';
        return platform::kExitUsage;
    }
    const std::unique_ptr<Installed>& run = *loaded;
    const std::unique_ptr<ui::CWinApp> app = MakeApp(options, false, out);
    script::RunnerOptions runnerOptions;
    runnerOptions.backend = seam.traits().backend;
    runnerOptions.stopBefore = before;
    script::ScriptRunner runner(std::move(script.script), run->session().Target(), err,
                                runnerOptions);
    std::unique_ptr<WindowParts> parts;
    const auto open = [&]() -> ui::Presenter* {
        const std::uint64_t openedMs = run->session().Target().NowMs();
        run->session().ContinueInRealTime(out);
        const std::size_t written = opensAt > 0 ? static_cast<std::size_t>(opensAt) - 1 : lines;
        Recorder::Manner manner;
        manner.continues = detail::FirstLines(text, written);
        manner.continuesFrom = shown;
        parts = OpenParts(options, seam, *run, hooks, std::move(manner));
        if (parts->window.presenter == nullptr) {
            err << "kestrin: no window: " << parts->error << '\n';
            return nullptr;
        }
        out << "The window opens on " << shown
            << (opensAt > 0 ? " before line " + std::to_string(opensAt) : " at its end") << " ("
            << openedMs << " ms on the unit's clock)\n";
        out.flush();
        return parts->keeper.get();
    };
    HandoverPresenter handover(runner, open);
    int status = ui::AfxWinMain(handover, &run->clock());
    if (parts == nullptr) {
        // The lines before it failed (said on err) or the program ended first.
        return runner.Finish() == script::kExitPassed ? platform::kExitUsage : script::kExitFailed;
    }
    if (parts->keeper == nullptr) {
        return platform::kExitUsage;
    }
    FinishWindow(options, *parts, *run, err, &status);
    return status;
}

// The tour of the pages (the demo dialog has none) on the virtual clock.
int RunTour(const Options& options, Seam& seam, std::ostream& out, std::ostream& err) {
    script::ParseResult parsed =
        script::ParseScript(options.demo ? std::string_view{} : kTourScript, "tour.script");
    if (!parsed) {
        err << script::Describe("tour.script", parsed.error()) << '\n';
        return platform::kExitUsage;
    }
    const platform::Result<std::unique_ptr<Installed>> loaded =
        Load(seam, {Purpose::Tour, !options.realTime, false}, out, err, options.monitor);
    if (!loaded) {
        err << loaded.error() << '\n';
        return platform::kExitUsage;
    }
    const std::unique_ptr<Installed>& run = *loaded;
    script::RunnerOptions runnerOptions;
    if (options.screenshot) {
        runnerOptions.finalScreenshot = *options.screenshot;
    }
    runnerOptions.finalWindowTree = options.dumpTree.value_or(std::filesystem::path());
    if (!options.demo) {
        const platform::Result<std::filesystem::path> folder = MakeTourFolder();
        if (!folder) {
            err << "kestrin: " << folder.error() << '\n';
            return platform::kExitUsage;
        }
        runnerOptions.screenshotFolder = *folder;
        out << "Screenshots of the seven pages go to " << folder->string() << '\n';
    }
    // An interrupted tour leaves no folder of half its pictures.
    const OnInterrupt removeFolder = runnerOptions.screenshotFolder.empty()
                                         ? OnInterrupt()
                                         : RemoveOnInterrupt(runnerOptions.screenshotFolder);
    const std::unique_ptr<ui::CWinApp> app =
        MakeApp(options, seam.traits().tourAnswersMessageBoxes, out);
    script::ScriptRunner runner(std::move(*parsed), run->session().Target(), err, runnerOptions);
    ui::AfxWinMain(runner, &run->clock());
    int status = runner.Finish();
    if (!Finished(run->session(), err)) {
        Fail(&status);
    }
    return status;
}

}  // namespace

int Run(const Options& options, Seam& seam, std::ostream& out, std::ostream& err,
        const Hooks& hooks) {
    // A worker of a suite runs the scripts it is handed.
    if (options.suite.worker) {
        return RunSuiteWorker(options.suite, options.screenshot,
                              ScriptRunOf(options, seam, true, out), err);
    }
    // A recording that could not be written is refused before it is made.
    if (options.record) {
        const std::filesystem::path folder = options.record->parent_path();
        std::error_code ec;
        if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) {
            err << "kestrin: --record " << ShownName(*options.record) << ": there is no folder "
                << ShownName(folder) << " to write it in\n";
            return platform::kExitUsage;
        }
    }

    // 1. The scripts: a malformed line stops the run before anything runs.
    if (!options.scripts.empty()) {
        std::vector<SuiteScript> scripts;
        if (!LoadScripts(options.scripts, err, &scripts)) {
            return platform::kExitUsage;
        }
        if (options.openAt) {
            std::error_code ec;
            if (scripts.size() != 1 || !std::filesystem::is_regular_file(options.scripts[0], ec)) {
                err << "kestrin: --open-at opens one script file, and "
                    << ShownName(options.scripts[0]) << " is a folder\n";
                return platform::kExitUsage;
            }
            return RunOpenAt(options, seam, std::move(scripts[0]), out, err, hooks);
        }
        return RunScripts(options, seam, std::move(scripts), out, err);
    }

    // 2. The window, unless --headless asks for none or there is no display.
    std::optional<int> status;
    if (!options.headless) {
        if (const platform::Result<void> display = seam.DisplayReady(); !display) {
            out << "No display (" << display.error()
                << "): running the tour of the pages headless.\n";
        } else {
            status = RunWindow(options, seam, out, err, hooks);
        }
    }

    // 3. The tour.
    if (!status) {
        if (options.record) {
            err << "kestrin: --record needs the window, and there is no display\n";
            return platform::kExitUsage;
        }
        status = RunTour(options, seam, out, err);
    }
    out.flush();
    return *status;
}

int Main(std::string_view name, std::span<const std::string_view> arguments, Seam& seam,
         std::ostream& out, std::ostream& err) {
    const std::vector<OptionSpec> own = seam.OwnOptions();
    const ParsedOptions parsed = ParseOptions(arguments, own);
    if (!parsed) {
        err << name << ": " << parsed.error() << '\n' << Usage(name, own);
        return platform::kExitUsage;
    }
    if (parsed->help) {
        out << Usage(name, own);
        return platform::kExitSuccess;
    }
    if (parsed->version) {
        out << kestrin::VersionLine(name);
        return platform::kExitSuccess;
    }
    // Before the first thread starts: every thread holds the signals.
    HandleInterrupts();
    // Merging reports runs nothing: it needs no session of the backend.
    if (!parsed->mergeReports.empty()) {
        const std::vector<std::filesystem::path>& merge = parsed->mergeReports;
        return MergeReports(merge.front(), {merge.begin() + 1, merge.end()}, parsed->suite.junit,
                            out, err);
    }
    if (const platform::Result<void> ready = seam.Ready(); !ready) {
        err << name << ": " << ready.error() << '\n';
        return platform::kExitUsage;
    }
    return Run(*parsed, seam, out, err);
}

}  // namespace program
