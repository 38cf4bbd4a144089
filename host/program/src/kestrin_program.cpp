#include "program/kestrin_program.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
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
#include "recorder.h"
#include "script/script_runner.h"
#include "script/suite.h"
#include "script/utf8_path.h"
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
    Script,  // --script on the virtual clock (or the real one)
    Tour,    // the tour of the pages on the virtual clock
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

// One loaded unit with everything a run of the console needs installed
// around it: sound output, touch panel, the platform's prompt.
class UnitRun {
  public:
    // refuseHostDevices: a unit on a device of the host is refused before
    // anything of it starts (a script on the virtual clock cannot take one).
    static std::unique_ptr<UnitRun> Load(const std::filesystem::path& source, bool copy,
                                         bool virtualTime, bool refuseHostDevices, bool debugEcho,
                                         std::ostream& err) {
        auto run = std::unique_ptr<UnitRun>(new UnitRun(err));
        std::filesystem::path dir = source;
        if (copy) {
            unit::Result<unit::TempDir> made = unit::MakeFreshCopy(source);
            if (!made) {
                err << made.error().Text() << '\n';
                return nullptr;
            }
            run->copied_.emplace(std::move(*made));
            dir = run->copied_->path();
        }
        RegisterHostComponents();
        unit::LoadOptions loadOptions{.virtualTime = virtualTime};
        if (refuseHostDevices) {
            loadOptions.beforeStart = [](const unit::VirtualUnit& u) -> unit::SetError {
                std::string device;
                if (!u.UsesHostDevice(&device)) {
                    return std::nullopt;
                }
                return unit::ConfigError{{},
                                         0,
                                         {},
                                         "kestrin: the unit uses a device of the host (" + device +
                                             "), which runs on the wall clock: run the script "
                                             "with --real-time"};
            };
        }
        auto loaded = unit::LoadUnit(dir, loadOptions);
        if (!loaded) {
            err << loaded.error().Text() << '\n';
            return nullptr;
        }
        run->unit_ = std::move(*loaded);
        run->unit_->SetDebugEcho(debugEcho);

        run->services_ = run->unit_->Services();
        run->services_.sound = sound::UnitWaveOutput(*run->unit_);
        if (run->services_.sound == nullptr) {
            run->ownSound_ =
                std::make_unique<sound::WaveOutput>(sound::WaveOutput::Options{.soundCard = false});
            run->services_.sound = run->ownSound_.get();
        }
        run->services_.touch = host_touch::TouchOf(*run->unit_);
        if (run->services_.touch == nullptr) {
            run->services_.touch = &run->noTouch_;
        }
        run->services_.prompt = &run->prompt_;
        return run;
    }

    unit::VirtualUnit& unit() { return *unit_; }
    [[nodiscard]] const platform::Services& services() const { return services_; }

  private:
    explicit UnitRun(std::ostream& err) : prompt_(err) {}

    std::optional<unit::TempDir> copied_;
    std::unique_ptr<unit::VirtualUnit> unit_;
    std::unique_ptr<sound::WaveOutput> ownSound_;
    NoTouch noTouch_;
    FrameworkPrompt prompt_;
    platform::Services services_;
};

std::unique_ptr<ui::CWinApp> MakeApp(const KestrinOptions& options) {
    if (options.demo) {
        return std::make_unique<ui::demo::CDemoApp>();
    }
    return std::make_unique<CConsoleApp>();
}

// The run's sound as WAV, when asked for. False after the reason is written.
bool WriteAudio(const KestrinOptions& options, unit::VirtualUnit& u, std::ostream& err) {
    if (!options.audioOut) {
        return true;
    }
    std::string error;
    if (!sound::WriteAudioOut(u, options.audioOut->string(), &error)) {
        err << "kestrin: " << options.audioOut->string() << ": " << error << '\n';
        return false;
    }
    return true;
}

// The scripts, one after the other, each on its own unit.
int RunScripts(const KestrinOptions& options, const std::filesystem::path& source,
               std::vector<script::Script> scripts, std::ostream& out, std::ostream& err) {
    const bool several = scripts.size() > 1;
    if (several && (options.screenshot || options.audioOut)) {
        err << "kestrin: --screenshot and --audio-out go with one script\n";
        return kExitUsage;
    }
    const bool copy = several || !options.unitDir || options.freshCopy;
    auto runOne = [&](script::Script s, const script::RunnerOptions& runnerOptions,
                      std::ostream& log) -> script::RunOutcome {
        std::unique_ptr<UnitRun> run = UnitRun::Load(source, copy, !options.realTime,
                                                     !options.realTime, options.debugEcho, log);
        if (run == nullptr) {
            return {kExitUsage, {}};
        }
        unit::VirtualUnit& u = run->unit();
        platform::ScopedServices installed(run->services());
        std::unique_ptr<ui::CWinApp> app = MakeApp(options);
        UnitTarget target(u);
        script::ScriptRunner runner(std::move(s), target, log, runnerOptions);
        ui::AfxWinMain(runner, &u.Clock());
        const bool passed = runner.Finish() == script::kExitPassed && WriteAudio(options, u, log);
        return {passed ? script::kExitPassed : script::kExitFailed, runner.FailureMessage()};
    };
    return script::RunSuite(std::move(scripts),
                            {.screenshot = options.screenshot,
                             .artifacts = options.artifacts,
                             .junit = options.junit,
                             .updateScreens = options.updateScreens},
                            runOne, out, err);
}

}  // namespace

int RunKestrin(const KestrinOptions& options, const UnitSources& sources, std::ostream& out,
               std::ostream& err, const KestrinHooks& hooks) {
    // 1. The scripts: a malformed line stops the run before anything runs.
    std::vector<script::Script> scripts;
    if (!options.scripts.empty() && !script::LoadScripts(options.scripts, err, &scripts)) {
        return kExitUsage;
    }
    const std::filesystem::path source =
        options.unitDir.value_or(sources.fromEnv.value_or(sources.builtIn));
    if (!scripts.empty()) {
        return RunScripts(options, source, std::move(scripts), out, err);
    }

    // 2. Window or tour.
    Mode mode = Mode::Window;
    if (options.headless) {
        mode = Mode::Tour;
    } else if (std::string why; !DisplayNamed(&why) || !sdl::DisplayAvailable(&why)) {
        out << "No display (" << why << "): running the tour of the pages headless.\n";
        mode = Mode::Tour;
    }
    if (mode == Mode::Tour && options.record) {
        err << "kestrin: --record needs the window, and there is no display\n";
        return kExitUsage;
    }

    // 3. The unit: in place with --unit, else a fresh copy.
    const bool copy = !options.unitDir || options.freshCopy;
    std::unique_ptr<UnitRun> run =
        UnitRun::Load(source, copy, mode != Mode::Window, false, options.debugEcho, err);
    if (run == nullptr) {
        return kExitUsage;
    }
    unit::VirtualUnit& u = run->unit();
    platform::ScopedServices installed(run->services());
    std::unique_ptr<ui::CWinApp> app = MakeApp(options);

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
        // The recorder sees the window's events first, the POWER and GUIDE
        // keys among them.
        std::unique_ptr<Recorder> recorder;
        ui::Presenter* input = window.get();
        if (options.record) {
            recorder = std::make_unique<Recorder>(*window, u.Clock(), *options.record,
                                                  [&window] { return window->Pointer(); });
            input = recorder.get();
        }
        HardwareKeys keys(*input, u);
        if (hooks.afterPresent) {
            keys.afterPresent = [&](std::uint64_t frame) { hooks.afterPresent(*window, frame); };
        }
        status = ui::AfxWinMain(keys, &u.Clock());
        if (recorder != nullptr && !recorder->Save(&error)) {
            err << "kestrin: " << error << '\n';
            status = status != 0 ? status : script::kExitFailed;
        }
        if (options.screenshot && keys.Frames() > 0) {
            if (!ui::WritePng(keys.LastFrame(), options.screenshot->string(), &error)) {
                err << "kestrin: " << options.screenshot->string() << ": " << error << '\n';
                status = status != 0 ? status : script::kExitFailed;
            }
        }
    } else {
        // The tour visits the console's pages; the demo dialog has none.
        script::ParseResult parsed =
            script::ParseScript(options.demo ? std::string_view{} : kTourScript, "tour.script");
        if (const auto* failure = std::get_if<script::ParseFailure>(&parsed)) {
            err << script::Describe("tour.script", *failure) << '\n';
            return kExitUsage;
        }
        script::RunnerOptions runnerOptions;
        if (options.screenshot) {
            runnerOptions.finalScreenshot = *options.screenshot;
        }
        if (!options.demo) {
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
        script::ScriptRunner runner(std::get<script::Script>(std::move(parsed)), target, err,
                                    runnerOptions);
        ui::AfxWinMain(runner, &u.Clock());
        status = runner.Finish();
    }

    if (!WriteAudio(options, u, err)) {
        status = status != 0 ? status : script::kExitFailed;
    }
    out.flush();
    return status;
}

}  // namespace program
