#include "pc/pc_program.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <variant>

#include "app/console_app.h"
#include "pc/pc_target.h"
#include "pc_tour.h"
#include "platform/services.h"
#include "script/script_runner.h"
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

// A path given as UTF-8 (std::filesystem would read a narrow string in the
// PC's ANSI code page).
std::filesystem::path Utf8Path(const std::string& text) {
    return {std::u8string(text.begin(), text.end())};
}

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

}  // namespace

int RunPcKestrin(const PcOptions& options, std::ostream& out, std::ostream& err) {
    // 1. The script: a malformed line stops the run before anything runs.
    std::optional<script::Script> script;
    if (options.script) {
        script::ParseResult parsed = script::LoadScriptFile(Utf8Path(*options.script));
        if (const auto* failure = std::get_if<script::ParseFailure>(&parsed)) {
            err << script::Describe(*options.script, *failure) << '\n';
            return kExitUsage;
        }
        script = std::get<script::Script>(std::move(parsed));
    }

    // 2. The PC beneath the console.
    win32::Options backendOptions;
    backendOptions.root = options.root.value_or(std::string());
    backendOptions.com7Port = options.com7Port;
    backendOptions.debugEcho = options.debugEcho;
    win32::Backend backend(backendOptions);
    platform::Services services = backend.Services();
    FrameworkPrompt prompt(err);
    services.prompt = &prompt;
    platform::ScopedServices installed(services);

    // The application object, made once the run's kind is known.
    auto makeApp = [&](bool answering) -> std::unique_ptr<ui::CWinApp> {
        if (options.demo) {
            return std::make_unique<DemoApp>();
        }
        if (answering) {
            return std::make_unique<AnsweringApp<CConsoleApp>>(out);
        }
        return std::make_unique<CConsoleApp>();
    };

    // 3. The window, unless a script or --headless asks for none.
    if (!script && !options.headless) {
        std::string error;
        auto window = window::Win32Presenter::Create({.scale = options.scale, .title = "Kestrin"},
                                                     *services.clock, &error);
        if (window != nullptr) {
            const std::unique_ptr<ui::CWinApp> app = makeApp(false);
            FrameKeeper keeper(*window);
            int status = ui::AfxWinMain(keeper, services.clock);
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

    // 4. A script, or the tour of the pages.
    script::RunnerOptions runnerOptions;
    if (options.screenshot) {
        runnerOptions.finalScreenshot = Utf8Path(*options.screenshot);
    }
    if (!script) {
        script::ParseResult parsed =
            script::ParseScript(options.demo ? std::string_view{} : kPcTourScript, "tour.script");
        if (const auto* failure = std::get_if<script::ParseFailure>(&parsed)) {
            err << script::Describe("tour.script", *failure) << '\n';
            return kExitUsage;
        }
        script = std::get<script::Script>(std::move(parsed));
        if (!options.demo) {
            const std::optional<std::filesystem::path> folder = TourFolder();
            if (!folder) {
                err << "kestrin: cannot make a folder for the screenshots\n";
                return kExitUsage;
            }
            runnerOptions.screenshotFolder = *folder;
            out << "Screenshots of the seven pages go to " << folder->string() << '\n';
        }
    }
    const std::unique_ptr<ui::CWinApp> app = makeApp(!options.script);
    PcTarget target(backend);
    script::ScriptRunner runner(std::move(*script), target, err, runnerOptions);
    ui::AfxWinMain(runner, services.clock);
    const int status = runner.Finish();
    out.flush();
    return status;
}

}  // namespace pc
