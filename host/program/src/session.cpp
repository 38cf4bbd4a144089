#include "session.h"

#include <string>
#include <utility>

#include "host/components.h"
#include "host/hardware_keys.h"
#include "host/sound/sound_component.h"
#include "host/sound/wave_output.h"
#include "host/touch/touch_component.h"
#include "host/unit/scheduler.h"

namespace host {

namespace {

// An error of the unit's copy as of the user's unit: "units/mine/unit.toml",
// not the temporary folder that is gone by the time it is read.
std::string AsOfSource(std::string text, const std::filesystem::path& copy,
                       const std::filesystem::path& source) {
    const std::string from = copy.string();
    const std::string to = source.string();
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

}  // namespace

platform::Result<std::unique_ptr<Session>> Session::Load(const Plan& plan) {
    std::optional<unit::TempDir> copied;
    program::OnInterrupt removeCopy;
    std::filesystem::path dir = plan.source;
    unit::LoadOptions options{.virtualTime = plan.virtualTime};
    if (plan.copies != nullptr) {
        copied.emplace(plan.copies->Next());
        dir = plan.copies->pristine();
        options.writeTo = copied->path();
        removeCopy = program::RemoveOnInterrupt(copied->path());
    }
    if (!plan.refuseHostDevices.empty()) {
        options.beforeStart =
            [what = plan.refuseHostDevices](const unit::VirtualUnit& u) -> unit::SetError {
            std::string device;
            if (!u.UsesHostDevice(&device)) {
                return std::nullopt;
            }
            return unit::ConfigError{{},
                                     0,
                                     {},
                                     "kestrin: the unit uses a device of the host (" + device +
                                         "), which runs on the wall clock: " + what +
                                         " with --real-time"};
        };
    }
    auto loaded = unit::LoadUnit(dir, HostComponents(), options);
    if (!loaded) {
        const std::string text = loaded.error().Text();
        return platform::Fail(copied ? AsOfSource(text, dir, plan.source) : text);
    }
    (*loaded)->SetDebugEcho(plan.debugEcho);
    return std::unique_ptr<Session>(
        new Session(std::move(copied), std::move(removeCopy), std::move(*loaded), plan.audioOut));
}

Session::Session(std::optional<unit::TempDir> copied, program::OnInterrupt removeCopy,
                 std::unique_ptr<unit::VirtualUnit> unit,
                 std::optional<std::filesystem::path> audioOut)
    : copied_(std::move(copied)),
      removeCopy_(std::move(removeCopy)),
      unit_(std::move(unit)),
      audioOut_(std::move(audioOut)),
      services_(unit_->Services()),
      target_(*unit_) {
    services_.sound = sound::UnitWaveOutput(*unit_);
    if (services_.sound == nullptr) {
        ownSound_ =
            std::make_unique<sound::WaveOutput>(sound::WaveOutput::Options{.soundCard = false});
        services_.sound = ownSound_.get();
    }
    services_.touch = touch::TouchOf(*unit_);
    if (services_.touch == nullptr) {
        services_.touch = &noTouch_;
    }
}

Session::~Session() = default;

std::unique_ptr<ui::Presenter> Session::HardwareKeyPresenter(ui::Presenter& window) {
    return std::make_unique<HardwareKeys>(window, *unit_);
}

void Session::ContinueInRealTime(std::ostream& out) {
    if (!unit_->scheduler().IsVirtual()) {
        return;
    }
    unit_->scheduler().GoOnInRealTime();
    if (const platform::Result<void> card = sound::StartSoundCard(*unit_); !card) {
        out << "Sound is recorded only: " << card.error() << ".\n";
    }
}

platform::Result<void> Session::Finish() {
    if (!audioOut_) {
        return {};
    }
    if (const platform::Result<void> written = sound::WriteAudioOut(*unit_, audioOut_->string());
        !written) {
        return platform::Fail(audioOut_->string() + ": " + written.error());
    }
    return {};
}

}  // namespace host
