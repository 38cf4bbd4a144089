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
        return std::make_unique<ui::demo::CDemoApp>();
    }
    if (answering) {
        return std::make_unique<AnsweringApp<CConsoleApp>>(out);
    }
    return std::make_unique<CConsoleApp>();
}

// The scripts one after the other, each on a fresh backend over the same
// root folder, with the verdict line and the reports.
int RunScripts(const PcOptions& options, std::vector<script::Script> scripts, std::ostream& out,
               std::ostream& err) {
    if (scripts.size() > 1 && options.screenshot) {
        err << "kestrin: --screenshot goes with one script\n";
        return kExitUsage;
    }
    auto runOne = [&](script::Script s, const script::RunnerOptions& runnerOptions,
                      std::ostream& log) -> script::RunOutcome {
        PcRun run(options, log);
        const std::unique_ptr<ui::CWinApp> app = MakeApp(options, false, out);
        PcTarget target(run.backend());
        script::ScriptRunner runner(std::move(s), target, log, runnerOptions);
        ui::AfxWinMain(runner, run.clock());
        const bool passed = runner.Finish() == script::kExitPassed;
        return {passed ? script::kExitPassed : script::kExitFailed, runner.FailureMessage()};
    };
    auto path = [](const std::optional<std::string>& utf8) -> std::optional<std::filesystem::path> {
        if (!utf8) {
            return std::nullopt;
        }
        return script::PathFromUtf8(*utf8);
    };
    return script::RunSuite(std::move(scripts),
                            {.screenshot = path(options.screenshot),
                             .artifacts = path(options.artifacts),
                             .junit = path(options.junit),
                             .updateScreens = options.updateScreens},
                            runOne, out, err);
}

}  // namespace

int RunPcKestrin(const PcOptions& options, std::ostream& out, std::ostream& err) {
    // 1. The scripts: a malformed line stops the run before anything runs.
    if (!options.scripts.empty()) {
        std::vector<std::filesystem::path> names;
        for (const std::string& name : options.scripts) {
            names.push_back(script::PathFromUtf8(name));
        }
        std::vector<script::Script> scripts;
        if (!script::LoadScripts(names, err, &scripts)) {
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
