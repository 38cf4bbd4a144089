// The audio page's operations run on a virtual unit: its NAT1: driver, its
// recorded wave output (seen through a spy that logs every player call) and
// a headless desktop whose message boxes are logged and answered at once.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/controls/controls_component.h"
#include "host/sound/sound_component.h"
#include "host/unit/test_unit.h"
#include "platform/services.h"
#include "ui/desktop.h"
#include "ui/headless_presenter.h"
#include "ui/styles.h"

namespace test_support {

// Forwards to the unit's wave output and logs each call, with the data size
// the watched wave buffer's header held at that moment.
class SoundSpy final : public platform::Sound {
  public:
    struct Call {
        enum class Kind { Play, SetVolume, GetVolume } kind;
        const void* image = nullptr;
        platform::DWORD flags = 0;
        platform::DWORD volume = 0;
        std::uint32_t watchedDataSize = 0;
    };

    explicit SoundSpy(platform::Sound& inner) : inner_(inner) {}
    void Watch(const std::uint8_t* buffer) { watched_ = buffer; }

    platform::BOOL PlaySound(const void* image, platform::DWORD flags) override {
        calls.push_back({Call::Kind::Play, image, flags, 0, WatchedDataSize()});
        return inner_.PlaySound(image, flags);
    }
    platform::MMRESULT waveOutSetVolume(platform::DWORD device, platform::DWORD volume) override {
        calls.push_back({Call::Kind::SetVolume, nullptr, device, volume, 0});
        return inner_.waveOutSetVolume(device, volume);
    }
    platform::MMRESULT waveOutGetVolume(platform::DWORD device, platform::DWORD* volume) override {
        calls.push_back({Call::Kind::GetVolume, nullptr, device, 0, 0});
        return inner_.waveOutGetVolume(device, volume);
    }

    std::vector<Call> calls;

  private:
    [[nodiscard]] std::uint32_t WatchedDataSize() const {
        if (watched_ == nullptr) {
            return 0;
        }
        return std::uint32_t{watched_[40]} | (std::uint32_t{watched_[41]} << 8) |
               (std::uint32_t{watched_[42]} << 16) | (std::uint32_t{watched_[43]} << 24);
    }

    platform::Sound& inner_;
    const std::uint8_t* watched_ = nullptr;
};

class AudioUnitTest : public ::testing::Test {
  protected:
    // Loads a unit with this unit.toml (and files at unit paths) and installs
    // it with a desktop, in place of any loaded before.
    void Load(const std::string& toml,
              const std::vector<std::pair<std::string, std::string>>& files = {}) {
        TearDown();
        boxes_.clear();
        // The control devices too: the console opens PWM1: and NAT1: as it starts.
        host::unit::Components kinds = host::controls::ControlKinds();
        kinds.push_back(host::sound::SoundComponentKind());
        testUnit_.emplace(kinds);
        testUnit_->Toml(toml).Options({.virtualTime = true, .startMs = 1000});
        for (const auto& [path, content] : files) {
            testUnit_->File(path, content);
        }
        ASSERT_TRUE(testUnit_->Load()) << testUnit_->error();
        output_ = host::sound::UnitWaveOutput(Unit());
        ASSERT_NE(output_, nullptr);
        spy_.emplace(*output_);
        platform::Services services = Unit().Services();
        services.sound = &*spy_;
        services_.emplace(services);
        desktop_.emplace(presenter_);
        desktop_->SetMessageBoxHook([this](const ui::MessageBoxInfo& box) {
            boxes_.push_back(box);
            return std::optional<int>(ui::IDOK);
        });
    }

    void TearDown() override {
        desktop_.reset();
        services_.reset();
        spy_.reset();
        output_ = nullptr;
        testUnit_.reset();
    }

    host::unit::VirtualUnit& Unit() { return testUnit_->unit(); }

    [[nodiscard]] std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const auto& b : boxes_) {
            texts.push_back(b.text);
        }
        return texts;
    }

    std::optional<host::unit::TestUnit> testUnit_;
    host::sound::WaveOutput* output_ = nullptr;
    std::optional<SoundSpy> spy_;
    std::optional<platform::ScopedServices> services_;
    ui::HeadlessPresenter presenter_;
    std::optional<ui::Desktop> desktop_;
    std::vector<ui::MessageBoxInfo> boxes_;
};

}  // namespace test_support
