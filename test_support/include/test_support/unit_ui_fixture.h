// The setting of the window tests: a virtual unit built for the test, the
// framework on the test's thread with a headless presenter and a manual
// clock, a recording wave output and a touch panel that only counts.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/controls/controls_component.h"
#include "host/sound/wave_output.h"
#include "host/unit/test_unit.h"
#include "host/unit/virtual_unit.h"
#include "platform/services.h"
#include "test_support/desktop_controls.h"
#include "ui/desktop.h"
#include "ui/headless_presenter.h"
#include "ui/manual_clock.h"
#include "ui/message_box.h"

namespace test_support {

class CountingTouch : public platform::Touch {
  public:
    platform::BOOL TouchCalibrate() override {
        ++calls;
        return platform::TRUE;
    }
    int calls = 0;
};

class UnitUiTest : public ::testing::Test {
  protected:
    // Loads the unit described so far and starts the framework on it.
    void Start() {
        if (!unitDir->Load()) {
            // A test that describes its unit wrongly cannot go on.
            static_cast<void>(std::fprintf(stderr, "unit: %s\n", unitDir->error().c_str()));
            std::abort();
        }
        platform::Services s = unitDir->unit().Services();
        s.clock = &clock;
        s.sound = &sound;
        s.touch = &touch;
        services.emplace(s);
        desktop = std::make_unique<ui::Desktop>(presenter, &clock);
    }

    void TearDown() override { EXPECT_EQ(presenter.PendingSteps(), 0U) << "steps never ran"; }

    // Ends the framework and the unit for a new start on another unit.
    void Restart() {
        desktop.reset();
        services.reset();
        boxes.clear();
        unitDir = std::make_unique<host::unit::TestUnit>(components);
    }

    host::unit::VirtualUnit& Unit() { return unitDir->unit(); }
    ui::Desktop& Desk() { return *desktop; }

    // A control of the active window (or its owners).
    ui::WindowInfo Info(int id) { return test_support::Info(*desktop, id); }
    std::string Text(int id) { return Info(id).text; }
    ui::Point CenterOf(int id) { return test_support::CenterOf(*desktop, id); }
    void TapControl(int id) { test_support::TapControl(*desktop, id); }
    // Steps that act when they run (the window exists by then).
    void StepTap(int id) {
        presenter.AddCall([this, id] { TapControl(id); });
    }
    void StepCall(std::function<void()> call) { presenter.AddCall(std::move(call)); }
    void StepWait(std::uint64_t ms) { presenter.AddWait(ms); }

    // Every message box shown from now on: answered at once with OK (or
    // left open when keepOpen) and recorded.
    void RecordMessageBoxes(bool keepOpen = false) {
        desktop->SetMessageBoxHook([this, keepOpen](const ui::MessageBoxInfo& box) {
            boxes.push_back(box);
            return keepOpen ? std::nullopt : std::optional<int>(ui::IDOK);
        });
    }
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const auto& b : boxes) {
            texts.push_back(b.text);
        }
        return texts;
    }
    // The kinds of component each unit of the test is loaded with: the
    // control devices the system opens at start-up, and what a test adds.
    host::unit::Components components = host::controls::ControlKinds();
    std::unique_ptr<host::unit::TestUnit> unitDir =
        std::make_unique<host::unit::TestUnit>(components);
    ui::ManualClock clock{1000};
    host::sound::WaveOutput sound{
        host::sound::WaveOutput::Options{.soundCard = false, .volume = 0xFFFFFFFFU}};
    CountingTouch touch;
    std::optional<platform::ScopedServices> services;
    ui::HeadlessPresenter presenter{&clock};
    std::unique_ptr<ui::Desktop> desktop;
    std::vector<ui::MessageBoxInfo> boxes;
};

}  // namespace test_support
