#include "host/sound/sound_component.h"

#include <atomic>
#include <memory>

#include "host/unit/component.h"
#include "host/unit/faults.h"
#include "host/unit/virtual_unit.h"

namespace host::sound {

namespace {

constexpr const char* kName = "sound";

class SoundComponent final : public unit::Component {
  public:
    void Declare(unit::Schema& schema, unit::VirtualUnit& u) override {
        output_ = std::make_unique<WaveOutput>(WaveOutput::Options{
            .soundCard = false,
            .volume = 0xFFFFFFFFU,
            .clock = [&u] { return u.Clock().NowMs(); },
            .traffic = &u.traffic(),
        });
        schema.Add(kName)
            .Boolean("card", [this](bool v) { card_.store(v); })
            .LoadOnly()
            .Integer(
                "volume", 0, 0xFFFFFFFFLL,
                [this](std::int64_t v) { output_->RestoreVolume(static_cast<platform::DWORD>(v)); })
            .Faults("fail", [this](const std::string& op, std::uint32_t code) {
                std::string error = faults_.Set(op, code);
                if (error.empty()) {
                    output_->FailPlaySound(faults_.Find("playsound").value_or(0));
                    output_->FailSetVolume(faults_.Find("waveoutsetvolume").value_or(0));
                    output_->FailGetVolume(faults_.Find("waveoutgetvolume").value_or(0));
                }
                return error;
            });
    }

    [[nodiscard]] WaveOutput* Output() const { return output_.get(); }
    [[nodiscard]] bool CardAllowed() const { return card_.load(); }

  private:
    std::unique_ptr<WaveOutput> output_;
    std::atomic<bool> card_{true};
    unit::FaultSet faults_{{{"playsound"}, {"waveoutsetvolume"}, {"waveoutgetvolume"}}};
};

SoundComponent* Find(const unit::VirtualUnit& u) {
    return dynamic_cast<SoundComponent*>(u.FindComponent(kName));
}

}  // namespace

unit::ComponentKind SoundComponentKind() {
    return {kName, [] { return std::make_unique<SoundComponent>(); }};
}

WaveOutput* UnitWaveOutput(const unit::VirtualUnit& u) {
    SoundComponent* component = Find(u);
    return component != nullptr ? component->Output() : nullptr;
}

platform::Result<void> StartSoundCard(const unit::VirtualUnit& u) {
    SoundComponent* component = Find(u);
    if (component == nullptr) {
        return platform::Fail("the unit has no sound component");
    }
    if (!component->CardAllowed()) {
        return platform::Fail("sound.card is false");
    }
    if (!component->Output()->OpenSoundCard()) {
        return platform::Fail(component->Output()->SoundCardProblem());
    }
    return {};
}

platform::Result<void> WriteAudioOut(const unit::VirtualUnit& u, const std::string& path) {
    const WaveOutput* output = UnitWaveOutput(u);
    if (output == nullptr) {
        return platform::Fail("the unit has no sound component");
    }
    return output->Recorder().WriteSession(path);
}

}  // namespace host::sound
