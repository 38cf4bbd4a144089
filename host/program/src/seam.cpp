#include "host/seam.h"

#include <SDL.h>

#include <cstdlib>
#include <utility>

#include "host/components.h"
#include "host/default_unit.h"
#include "host/sound/sound_component.h"
#include "host/unit/fresh_copies.h"
#include "host/window/display.h"
#include "host/window/sdl_presenter.h"
#include "session.h"

namespace host {

namespace {

using program::FlagOption;
using program::OptionSpec;
using program::PathOption;
using Purpose = program::SessionRequest::Purpose;

// Whether the environment names a display at all; asking the video drivers
// on a machine without one only makes them complain.
platform::Result<void> DisplayNamed() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"}) {
        if (const char* value = std::getenv(name); value != nullptr && *value != '\0') {
            return {};
        }
    }
    return platform::Fail("neither DISPLAY nor WAYLAND_DISPLAY is set");
}

}  // namespace

Seam::Seam(UnitSources sources, UnitOptions options)
    : program::Seam({.tourWithoutWindow = false,
                     .tourAnswersMessageBoxes = false,
                     .unitKeys = true,
                     .replayWith = "--unit <the same unit>",
                     .backend = "host"}),
      sources_(std::move(sources)),
      options_(std::move(options)) {}

Seam::~Seam() = default;

platform::Result<unit::FreshCopies*> Seam::CopiesOf(const std::filesystem::path& source) {
    if (copies_ && copiesOf_ == source) {
        return copies_.get();
    }
    removeCopies_ = {};
    copies_.reset();
    unit::Result<unit::FreshCopies> made = unit::FreshCopies::Make(source);
    if (!made) {
        return platform::Fail("kestrin: " + made.error().Text());
    }
    // As a load of the unit says it.
    if (const unit::Result<void> prepared = made->Prepare(HostComponents()); !prepared) {
        return platform::Fail(prepared.error().Text());
    }
    copies_ = std::make_unique<unit::FreshCopies>(std::move(*made));
    copiesOf_ = source;
    removeCopies_ = program::RemoveOnInterrupt(copies_->folder());
    return copies_.get();
}

std::vector<OptionSpec> Seam::OwnOptions() {
    OptionSpec audioOut =
        PathOption("--audio-out", "FILE", "write the run's sound as WAV when the run ends",
                   &options_.audioOut);
    audioOut.endProduct = true;
    audioOut.before = "--demo";
    OptionSpec debugEcho = FlagOption(
        "--debug-echo", "copy the unit's debug output to standard error", &options_.debugEcho);
    debugEcho.before = "--demo";
    return {
        PathOption("--unit", "DIR",
                   "run on the unit in DIR (default: a fresh copy of\n"
                   "$KESTRIN_UNIT_DIR, else of the default unit)",
                   &options_.unitDir),
        FlagOption("--fresh-copy", "run on a temporary copy of the unit instead",
                   &options_.freshCopy),
        std::move(audioOut),
        std::move(debugEcho),
        program::Shared("--script",
                        "run scripts (a folder: its *.ks and *.script files) on\n"
                        "the virtual clock (implies --headless), each on a fresh\n"
                        "copy of the unit (a single file: on --unit in place)"),
        program::Shared("--real-time", "run the scripts on the wall clock (for host devices)"),
    };
}

bool Seam::EndProductsWanted() const {
    return options_.audioOut.has_value();
}

platform::Result<void> Seam::Ready() {
    if (options_.unitDir || sources_.fromEnv || !sources_.builtIn.empty()) {
        return {};
    }
    const FoundUnit found = FindDefaultUnit(ExecutablePath());
    if (!found.dir) {
        return platform::Fail(found.error + ": give --unit DIR or set KESTRIN_UNIT_DIR");
    }
    sources_.builtIn = *found.dir;
    return {};
}

platform::Result<std::unique_ptr<program::Session>> Seam::Load(
    const program::SessionRequest& request, std::ostream& out) {
    // In place with --unit (and a single script file), else a fresh copy.
    const bool copy = request.suite || !options_.unitDir || options_.freshCopy;
    const std::filesystem::path source =
        options_.unitDir.value_or(sources_.fromEnv.value_or(sources_.builtIn));
    if (const std::optional<std::string> why = copy ? std::nullopt : WhyReadOnly(source)) {
        return platform::Fail("kestrin: the unit " + source.string() + " is read-only (" + *why +
                              "): run on a copy of it with --fresh-copy");
    }
    unit::FreshCopies* copies = nullptr;
    if (copy) {
        platform::Result<unit::FreshCopies*> made = CopiesOf(source);
        if (!made) {
            return platform::Fail(made.error());
        }
        copies = *made;
    }
    platform::Result<std::unique_ptr<Session>> session = Session::Load(
        {.source = source,
         .copies = copies,
         .virtualTime = request.virtualTime,
         // The tour too runs on the virtual clock unless told otherwise.
         .refuseHostDevices = !request.virtualTime                 ? std::string()
                              : request.purpose == Purpose::Script ? "run the script"
                              : request.purpose == Purpose::Window ? "open the script at a line"
                                                                   : "take the tour",
         .debugEcho = options_.debugEcho,
         .audioOut = options_.audioOut});
    if (!session) {
        return platform::Fail(session.error());
    }
    unit::VirtualUnit& u = (*session)->unit();
    // A window opened at a script's line starts the card when the window opens.
    if (request.purpose == Purpose::Window && !request.virtualTime) {
        if (const platform::Result<void> card = sound::StartSoundCard(u); !card) {
            out << "Sound is recorded only: " << card.error() << ".\n";
        }
    }
    return std::unique_ptr<program::Session>(std::move(*session));
}

platform::Result<void> Seam::DisplayReady() {
    if (platform::Result<void> named = DisplayNamed(); !named) {
        return named;
    }
    return window::DisplayAvailable();
}

platform::Result<program::OpenedWindow> Seam::OpenWindow(program::Session& session,
                                                         const program::WindowOptions& options) {
    platform::Result<program::OpenedWindow> window =
        program::OpenWindowOf(session, options, &window_);
    if (window) {
        // SDL takes events from any thread: the window closes as its close box closes it.
        window->close = [] {
            SDL_Event quit{};
            quit.type = SDL_QUIT;
            SDL_PushEvent(&quit);
        };
    }
    return window;
}

}  // namespace host
