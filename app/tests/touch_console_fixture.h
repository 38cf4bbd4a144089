// The real console on a virtual unit with its touch panel, driven by
// headless steps. The framework's timers and the unit's clock move together:
// each time the framework waits, the unit is brought to the framework's time
// and allowed to settle, and a wait also stops where a unit thread wakes.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/console_dlg.h"
#include "app/console_ids.h"
#include "host/controls/controls_component.h"
#include "host/touch/calibration_record.h"
#include "host/touch/touch_component.h"
#include "host/touch/touch_panel.h"
#include "host/unit/scheduler.h"
#include "host/unit/test_unit.h"
#include "platform/api.h"
#include "platform/services.h"
#include "test_support/desktop_controls.h"
#include "ui/desktop.h"
#include "ui/headless_presenter.h"
#include "ui/manual_clock.h"

namespace touch_test {

// The unit's clock follows the framework's.
class UnitPresenter : public ui::Presenter {
  public:
    UnitPresenter(ui::ManualClock& clock, host::unit::Scheduler*& scheduler)
        : clock_(clock), scheduler_(scheduler), steps_(&clock) {}

    ui::HeadlessPresenter& steps() { return steps_; }

    void Present(const ui::Framebuffer& screen) override { steps_.Present(screen); }
    void Wake() override { steps_.Wake(); }
    ui::InputEvent WaitEvent(std::optional<std::uint64_t> deadlineMs) override {
        Settle();
        if (scheduler_ != nullptr) {
            if (auto next = scheduler_->NextDeadline()) {
                deadlineMs = deadlineMs ? std::min(*deadlineMs, *next) : *next;
            }
        }
        ui::InputEvent event = steps_.WaitEvent(deadlineMs);
        Settle();
        return event;
    }

  private:
    void Settle() {
        if (scheduler_ == nullptr) {
            return;
        }
        scheduler_->AdvanceTo(clock_.NowMs());
        EXPECT_TRUE(scheduler_->WaitQuiescent(std::chrono::seconds(10)));
    }

    ui::ManualClock& clock_;
    host::unit::Scheduler*& scheduler_;
    ui::HeadlessPresenter steps_;
};

// Sound the console sets its volume on; nothing plays in these tests.
class QuietSound : public platform::Sound {
  public:
    platform::BOOL PlaySound(const void*, platform::DWORD) override { return platform::TRUE; }
    platform::MMRESULT waveOutSetVolume(platform::DWORD, platform::DWORD v) override {
        volume_ = v;
        return platform::MMSYSERR_NOERROR;
    }
    platform::MMRESULT waveOutGetVolume(platform::DWORD, platform::DWORD* v) override {
        *v = volume_;
        return platform::MMSYSERR_NOERROR;
    }

  private:
    platform::DWORD volume_ = 0;
};

class ConsoleTest : public ::testing::Test {
  protected:
    void Load() {
        ASSERT_TRUE(t->Load()) << t->error();
        scheduler = &t->unit().scheduler();
        panel = host::touch::PanelOf(t->unit());
        ASSERT_NE(panel, nullptr);
        platform::Services s = t->unit().Services();
        s.clock = &clock;
        s.touch = panel;
        s.sound = &sound;
        services.emplace(s);
        // The console maps the unit's registers as it is constructed.
        console.emplace();
    }

    // Ends the console and the unit, for a case that needs a unit of its own.
    void Fresh() {
        console.reset();
        services.reset();
        scheduler = nullptr;
        panel = nullptr;
        t = NewUnit();
        boxes.clear();
        desktop.SetMessageBoxHook(nullptr);
        steps().ClearSteps();
    }

    ui::HeadlessPresenter& steps() { return presenter.steps(); }

    // Records every message box and answers it with the next answer given
    // (OK when none is left).
    void AnswerBoxes(std::vector<int> answers) {
        answers_ = std::move(answers);
        desktop.SetMessageBoxHook([this](const ui::MessageBoxInfo& info) {
            boxes.push_back(info);
            int answer = ui::IDOK;
            if (!answers_.empty()) {
                answer = answers_.front();
                answers_.erase(answers_.begin());
            }
            return std::optional<int>(answer);
        });
    }

    // Steps that tap a page's tab header, then a control of it.
    void StepSelectPage(int index) {
        steps().AddCall([this, index] {
            const ui::HWND tab = desktop.FindControl(console_id::kTab);
            ui::Rect header;
            ASSERT_TRUE(ui::SendMessage(tab, ui::TCM_GETITEMRECT, static_cast<ui::WPARAM>(index),
                                        reinterpret_cast<ui::LPARAM>(&header)));
            const ui::Rect r = desktop.Describe(tab)->screenRect;
            desktop.Tap(r.left + (header.left + header.right) / 2,
                        r.top + (header.top + header.bottom) / 2);
        });
    }
    void StepClick(int id) {
        steps().AddCall([this, id] {
            const auto info = desktop.Describe(desktop.FindControl(id));
            ASSERT_TRUE(info.has_value() && info->visible) << "control " << id;
            test_support::TapControl(desktop, id);
        });
    }
    void StepTapCrosshairs(int offset = 0) {
        for (const ui::Point c : host::touch::kCrosshairs) {
            steps().AddTap(c.x + offset, c.y + offset);
        }
    }

    std::string Caption() { return console->GetWindowText(); }

    // Every file and folder under the unit's root with its content.
    std::map<std::string, std::string> Listing() {
        std::map<std::string, std::string> out;
        const std::filesystem::path root = t->unit().FsRoot();
        for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
            const std::string rel = std::filesystem::relative(e.path(), root).string();
            if (e.is_directory()) {
                out[rel] = "<folder>";
                continue;
            }
            std::ifstream in(e.path(), std::ios::binary);
            std::stringstream text;
            text << in.rdbuf();
            out[rel] = text.str();
        }
        return out;
    }
    std::optional<std::string> FileText(const std::string& unitPath) {
        const auto host = t->unit().HostPath(unitPath);
        if (!host || !std::filesystem::is_regular_file(*host)) {
            return std::nullopt;
        }
        std::ifstream in(*host, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    static std::unique_ptr<host::unit::TestUnit> NewUnit() {
        host::unit::Components kinds = host::controls::ControlKinds();
        kinds.push_back(host::touch::TouchComponentKind());
        return std::make_unique<host::unit::TestUnit>(kinds);
    }

    std::unique_ptr<host::unit::TestUnit> t = NewUnit();
    host::unit::Scheduler* scheduler = nullptr;
    host::touch::TouchPanel* panel = nullptr;
    ui::ManualClock clock{0};
    QuietSound sound;
    std::optional<platform::ScopedServices> services;
    UnitPresenter presenter{clock, scheduler};
    ui::Desktop desktop{presenter, &clock};
    std::vector<ui::MessageBoxInfo> boxes;
    std::optional<CConsoleDlg> console;

  private:
    std::vector<int> answers_;
};

}  // namespace touch_test
