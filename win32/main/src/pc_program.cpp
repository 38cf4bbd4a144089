#include "pc/pc_program.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>
#include <utility>
#include <variant>
#include <vector>

#include "app/console_app.h"
#include "pc/pc_target.h"
#include "pc_tour.h"
#include "platform/services.h"
#include "script/script_runner.h"
#include "script/suite.h"
#include "script/utf8_path.h"
#include "ui/app.h"
#include "ui/demo_dialog.h"
#include "ui/desktop.h"
#include "ui/graphics.h"
#include "ui/message_box.h"
#include "win32/backend.h"
#include "window/win32_presenter.h"

namespace pc {

namespace {

// The framework's demo dialog as the program's one window.
class DemoApp final : public ui::CWinApp {
  public:
    ui::BOOL InitInstance() override {
        ui::demo::CDemoDlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
        return ui::FALSE;
    }
};

// Message boxes asked for through the platform rather than a window: the
// framework's box while it runs, else a line on the error stream.
class FrameworkPrompt final : public platform::Prompt {
  public:
    explicit FrameworkPrompt(std::ostream& err) : err_(err) {}
    int MessageBox(std::string_view text, std::string_view caption, platform::UINT type) override {
        if (ui::Desktop::Current() != nullptr) {
            return ui::MessageBox(nullptr, text, caption, type);
        }
        err_ << caption << ": " << text << '\n';
        return platform::IDOK;
    }

  private:
    std::ostream& err_;
};

// Passes everything to the window and keeps the last frame for the
// screenshot at the end.
class FrameKeeper final : public ui::Presenter {
  public:
    explicit FrameKeeper(ui::Presenter& inner) : inner_(inner) {}
    void Present(const ui::Framebuffer& screen) override {
        last_ = screen;
        ++frames_;
        inner_.Present(screen);
    }
    ui::InputEvent WaitEvent(std::optional<std::uint64_t> deadlineMs) override {
        return inner_.WaitEvent(deadlineMs);
    }
    void Wake() override { inner_.Wake(); }
    [[nodiscard]] const ui::Framebuffer& Last() const { return last_; }
    [[nodiscard]] std::uint64_t Frames() const { return frames_; }

  private:
    ui::Presenter& inner_;
    ui::Framebuffer last_;
    std::uint64_t frames_ = 0;
};

// Answers every message box OK from the start (a PC has none of the unit's
// drivers, so the console has much to say) and lists each on out: the tour
// then shows the pages.
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

// A fresh folder for the tour's screenshots under the PC's temporary folder.
std::optional<std::filesystem::path> TourFolder() {
    std::error_code ec;
    const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) {
        return std::nullopt;
    }
    for (int i = 0; i < 1000; ++i) {
        std::filesystem::path folder = base / ("kestrin-tour-" + std::to_string(i));
        if (std::filesystem::create_directory(folder, ec)) {
            return folder;
        }
    }
    return std::nullopt;
}

// The PC beneath one run of the console: the Win32 backend with the
// program's prompt, installed for the run's life.
class PcRun {
  public:
    PcRun(const PcOptions& options, std::ostream& err)
        : backend_(BackendOptions(options)), prompt_(err), installed_(Services()) {}

    win32::Backend& backend() { return backend_; }
    platform::Clock* clock() { return backend_.Services().clock; }

  private:
    static win32::Options BackendOptions(const PcOptions& options) {
        win32::Options o;
        o.root = options.root.value_or(std::string());
        o.com7Port = options.com7Port;
        o.debugEcho = options.debugEcho;
        return o;
    }
    platform::Services Services() {
        platform::Services services = backend_.Services();
        services.prompt = &prompt_;
        return services;
    }

    win32::Backend backend_;
    FrameworkPrompt prompt_;
    platform::ScopedServices installed_;
};

// The application object of a run.
std::unique_ptr<ui::CWinApp> MakeApp(const PcOptions& options, bool answering, std::ostream& out) {
    if (options.demo) {
        return std::make_unique<DemoApp>();
    }
    if (answering) {
        return std::make_unique<AnsweringApp<CConsoleApp>>(out);
    }
    return std::make_unique<CConsoleApp>();
}

// Every script the command line names, read before anything runs: a
// malformed one stops the run. False after the reason is written.
bool ReadScripts(const PcOptions& options, std::ostream& err, std::vector<script::Script>* out) {
    std::vector<std::filesystem::path> names;
    for (const std::string& name : options.scripts) {
        names.push_back(script::PathFromUtf8(name));
    }
    std::vector<std::filesystem::path> files;
    std::string error;
    if (!script::CollectScripts(names, &files, &error)) {
        err << "kestrin: " << error << '\n';
        return false;
    }
    bool ok = true;
    for (const std::filesystem::path& file : files) {
        script::ParseResult parsed = script::LoadScriptFile(file);
        if (const auto* failure = std::get_if<script::ParseFailure>(&parsed)) {
            err << script::Describe(script::Utf8FromPath(file), *failure) << '\n';
            ok = false;
        } else {
            out->push_back(std::get<script::Script>(std::move(parsed)));
        }
    }
    return ok;
}

// The scripts one after the other, each on a fresh backend over the same
// root folder, with the verdict line and the reports.
int RunScripts(const PcOptions& options, std::vector<script::Script> scripts, std::ostream& out,
               std::ostream& err) {
    if (scripts.size() > 1 && options.screenshot) {
        err << "kestrin: --screenshot goes with one script\n";
        return kExitUsage;
    }
    std::vector<script::ScriptResult> results;
    int status = script::kExitPassed;
    for (script::Script& s : scripts) {
        const auto started = std::chrono::steady_clock::now();
        // What the run writes about itself, for the report; it goes to the
        // error stream when the script has run.
        std::ostringstream log;
        script::RunnerOptions runnerOptions;
        if (options.screenshot) {
            runnerOptions.finalScreenshot = script::PathFromUtf8(*options.screenshot);
        }
        std::filesystem::path artifacts;
        if (options.artifacts) {
            artifacts = script::PathFromUtf8(*options.artifacts) /
                        script::ArtifactName(script::PathFromUtf8(s.name));
            runnerOptions.artifactsFolder = artifacts;
        }
        runnerOptions.updateScreens = options.updateScreens;
        script::ScriptResult result;
        result.file = script::PathFromUtf8(s.name);
        {
            PcRun run(options, log);
            const std::unique_ptr<ui::CWinApp> app = MakeApp(options, false, out);
            PcTarget target(run.backend());
            script::ScriptRunner runner(std::move(s), target, log, runnerOptions);
            ui::AfxWinMain(runner, run.clock());
            result.passed = runner.Finish() == script::kExitPassed;
            result.failure = runner.FailureMessage();
        }
        result.time = std::chrono::steady_clock::now() - started;
        result.output = log.str();
        err << result.output;
        err.flush();
        if (!result.passed) {
            status = script::kExitFailed;
            if (!artifacts.empty()) {
                std::error_code ec;
                std::filesystem::create_directories(artifacts, ec);
                std::ofstream(artifacts / "output.txt", std::ios::binary) << result.output;
            }
        }
        results.push_back(std::move(result));
    }
    out << script::Verdict(results) << '\n';
    if (options.junit) {
        std::string error;
        if (!script::WriteJUnit(script::PathFromUtf8(*options.junit), results, &error)) {
            err << "kestrin: " << error << '\n';
            status = status != script::kExitPassed ? status : script::kExitFailed;
        }
    }
    out.flush();
    return status;
}

}  // namespace

int RunPcKestrin(const PcOptions& options, std::ostream& out, std::ostream& err) {
    // 1. The scripts: a malformed line stops the run before anything runs.
    if (!options.scripts.empty()) {
        std::vector<script::Script> scripts;
        if (!ReadScripts(options, err, &scripts)) {
            return kExitUsage;
        }
        return RunScripts(options, std::move(scripts), out, err);
    }

    // 2. The window, unless --headless asks for none.
    if (!options.headless) {
        PcRun run(options, err);
        std::string error;
        auto window = window::Win32Presenter::Create({.scale = options.scale, .title = "Kestrin"},
                                                     *run.clock(), &error);
        if (window != nullptr) {
            const std::unique_ptr<ui::CWinApp> app = MakeApp(options, false, out);
            FrameKeeper keeper(*window);
            int status = ui::AfxWinMain(keeper, run.clock());
            if (options.screenshot && keeper.Frames() > 0 &&
                !ui::WritePng(keeper.Last(), *options.screenshot, &error)) {
                err << "kestrin: " << error << '\n';
                status = status != 0 ? status : script::kExitFailed;
            }
            out.flush();
            return status;
        }
        out << "No window (" << error << "): running the tour of the pages headless.\n";
    }

    // 3. The tour of the pages.
    script::ParseResult parsed =
        script::ParseScript(options.demo ? std::string_view{} : kPcTourScript, "tour.script");
    if (const auto* failure = std::get_if<script::ParseFailure>(&parsed)) {
        err << script::Describe("tour.script", *failure) << '\n';
        return kExitUsage;
    }
    script::RunnerOptions runnerOptions;
    if (options.screenshot) {
        runnerOptions.finalScreenshot = script::PathFromUtf8(*options.screenshot);
    }
    if (!options.demo) {
        const std::optional<std::filesystem::path> folder = TourFolder();
        if (!folder) {
            err << "kestrin: cannot make a folder for the screenshots\n";
            return kExitUsage;
        }
        runnerOptions.screenshotFolder = *folder;
        out << "Screenshots of the seven pages go to " << folder->string() << '\n';
    }
    PcRun run(options, err);
    const std::unique_ptr<ui::CWinApp> app = MakeApp(options, true, out);
    PcTarget target(run.backend());
    script::ScriptRunner runner(std::get<script::Script>(std::move(parsed)), target, err,
                                runnerOptions);
    ui::AfxWinMain(runner, run.clock());
    const int status = runner.Finish();
    out.flush();
    return status;
}

}  // namespace pc
