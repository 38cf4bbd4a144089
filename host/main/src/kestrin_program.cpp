#include "program/kestrin_program.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <variant>

#include "app/console_app.h"
#include "framework_prompt.h"
#include "host_touch/touch_component.h"
#include "platform/services.h"
#include "program/components.h"
#include "program/hardware_keys.h"
#include "program/unit_target.h"
#include "script/script_runner.h"
#include "sdl/display.h"
#include "sdl/sdl_presenter.h"
#include "sound/sound_component.h"
#include "sound/wave_output.h"
#include "tour_script.h"
#include "ui/app.h"
#include "ui/demo_dialog.h"
#include "ui/graphics.h"
#include "unit/temp_dir.h"
#include "unit/virtual_unit.h"

namespace program {

namespace {

enum class Mode {
    Window,  // the SDL window on the real clock
    Script,  // --script on the virtual clock
    Tour,    // the tour of the pages on the virtual clock
};

// The framework's demo dialog as the program's one window, to try the
// framework by hand and to show every control kind.
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

// Without a touch panel of the unit, calibration cannot run.
class NoTouch final : public platform::Touch {
  public:
    platform::BOOL TouchCalibrate() override { return platform::FALSE; }
};

// Whether the environment names a display at all; asking the video drivers
// on a machine without one only makes them complain.
bool DisplayNamed(std::string* why) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"}) {
        if (const char* value = std::getenv(name); value != nullptr && *value != '\0') {
            return true;
        }
    }
    *why = "neither DISPLAY nor WAYLAND_DISPLAY is set";
    return false;
}

// Parses the script of the run before anything else happens.
std::optional<script::Script> ReadScript(const KestrinOptions& options, std::ostream& err,
                                         bool* failed) {
    *failed = false;
    if (!options.script) {
        return std::nullopt;
    }
    script::ParseResult parsed = script::LoadScriptFile(*options.script);
    if (const auto* failure = std::get_if<script::ParseFailure>(&parsed)) {
        err << script::Describe(options.script->string(), *failure) << '\n';
        *failed = true;
        return std::nullopt;
    }
    return std::get<script::Script>(std::move(parsed));
}

}  // namespace

int RunKestrin(const KestrinOptions& options, const UnitSources& sources, std::ostream& out,
               std::ostream& err, const KestrinHooks& hooks) {
    // 1. The script: a malformed line stops the run before anything runs.
    bool badScript = false;
    std::optional<script::Script> script = ReadScript(options, err, &badScript);
    if (badScript) {
        return kExitUsage;
    }

    // 2. Window, script or tour.
    Mode mode = Mode::Window;
    if (script) {
        mode = Mode::Script;
    } else if (options.headless) {
        mode = Mode::Tour;
    } else if (std::string why; !DisplayNamed(&why) || !sdl::DisplayAvailable(&why)) {
        out << "No display (" << why << "): running the tour of the pages headless.\n";
        mode = Mode::Tour;
    }
    if (mode == Mode::Tour) {
        // The tour visits the console's pages; the demo dialog has none.
        script::ParseResult parsed =
            script::ParseScript(options.demo ? std::string_view{} : kTourScript, "tour.script");
        if (const auto* failure = std::get_if<script::ParseFailure>(&parsed)) {
            err << script::Describe("tour.script", *failure) << '\n';
            return kExitUsage;
        }
        script = std::get<script::Script>(std::move(parsed));
    }

    // 3. The unit: in place with --unit, else a fresh copy.
    std::filesystem::path source =
        options.unitDir.value_or(sources.fromEnv.value_or(sources.builtIn));
    const bool copy = !options.unitDir || options.freshCopy;
    std::optional<unit::TempDir> copied;
    std::filesystem::path dir = source;
    if (copy) {
        unit::Result<unit::TempDir> made = unit::MakeFreshCopy(source);
        if (!made) {
            err << made.error().Text() << '\n';
            return kExitUsage;
        }
        copied.emplace(std::move(*made));
        dir = copied->path();
    }

    RegisterHostComponents();
    auto loaded = unit::LoadUnit(dir, {.virtualTime = mode != Mode::Window});
    if (!loaded) {
        err << loaded.error().Text() << '\n';
        return kExitUsage;
    }
    unit::VirtualUnit& u = **loaded;
    u.SetDebugEcho(options.debugEcho);

    // 4. The unit's services, the sound output, the touch panel, the prompt.
    platform::Services services = u.Services();
    std::unique_ptr<sound::WaveOutput> ownSound;
    services.sound = sound::UnitWaveOutput(u);
    if (services.sound == nullptr) {
        ownSound =
            std::make_unique<sound::WaveOutput>(sound::WaveOutput::Options{.soundCard = false});
        services.sound = ownSound.get();
    }
    NoTouch noTouch;
    services.touch = host_touch::TouchOf(u);
    if (services.touch == nullptr) {
        services.touch = &noTouch;
    }
    FrameworkPrompt prompt(err);
    services.prompt = &prompt;
    platform::ScopedServices installed(services);

    // 5. The console (or the demo dialog).
    std::unique_ptr<ui::CWinApp> app;
    if (options.demo) {
        app = std::make_unique<DemoApp>();
    } else {
        app = std::make_unique<CConsoleApp>();
    }
    int status = 0;
    if (mode == Mode::Window) {
        if (std::string problem; !sound::StartSoundCard(u, &problem)) {
            out << "Sound is recorded only: " << problem << ".\n";
        }
        std::string error;
        auto window = sdl::SdlPresenter::Create(
            {.scale = options.scale, .title = "Kestrin", .hidden = hooks.hiddenWindow}, u.Clock(),
            &error);
        if (window == nullptr) {
            err << "kestrin: no window: " << error << '\n';
            return kExitUsage;
        }
        HardwareKeys keys(*window, u);
        if (hooks.afterPresent) {
            keys.afterPresent = [&](std::uint64_t frame) { hooks.afterPresent(*window, frame); };
        }
        status = ui::AfxWinMain(keys, &u.Clock());
        if (options.screenshot && keys.Frames() > 0) {
            if (!ui::WritePng(keys.LastFrame(), options.screenshot->string(), &error)) {
                err << "kestrin: " << options.screenshot->string() << ": " << error << '\n';
                status = status != 0 ? status : script::kExitFailed;
            }
        }
    } else {
        script::RunnerOptions runnerOptions;
        if (options.screenshot) {
            runnerOptions.finalScreenshot = *options.screenshot;
        }
        if (mode == Mode::Tour && !options.demo) {
            std::optional<unit::TempDir> folder = unit::TempDir::Create("kestrin-tour-");
            if (!folder) {
                err << "kestrin: cannot make a folder for the screenshots\n";
                return kExitUsage;
            }
            runnerOptions.screenshotFolder = folder->Release();
            out << "Screenshots of the seven pages go to "
                << runnerOptions.screenshotFolder.string() << '\n';
        }
        UnitTarget target(u);
        script::ScriptRunner runner(std::move(*script), target, err, runnerOptions);
        ui::AfxWinMain(runner, &u.Clock());
        status = runner.Finish();
    }

    if (options.audioOut) {
        std::string error;
        if (!sound::WriteAudioOut(u, options.audioOut->string(), &error)) {
            err << "kestrin: " << options.audioOut->string() << ": " << error << '\n';
            status = status != 0 ? status : script::kExitFailed;
        }
    }
    out.flush();
    return status;
}

}  // namespace program
