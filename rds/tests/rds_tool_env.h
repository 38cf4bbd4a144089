// The RDS tool on a virtual unit with the COM7: component: the unit on
// virtual time (or real time, for a host device), the platform installed
// with a kernel that notes the window's port calls, and a headless desktop
// whose message boxes are answered with OK and kept.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "host/com7/com7_component.h"
#include "host/com7/com7_driver.h"
#include "host/components.h"
#include "host/unit/scheduler.h"
#include "host/unit/test_unit.h"
#include "kestrin_tree.h"
#include "platform/services.h"
#include "rds/rds_tool_dlg.h"
#include "recording_kernel.h"
#include "ui/desktop.h"
#include "ui/framework.h"
#include "ui/headless_presenter.h"

namespace rds_test {

// Only keeps a broken build from hanging; a passing run never waits it out.
inline constexpr auto kSettle = std::chrono::seconds(20);

class RdsToolEnv {
  public:
    struct DefaultUnit {};

    // A unit made from this unit.toml text, and files beside it.
    using UnitFiles = std::vector<std::pair<std::string, std::string>>;
    explicit RdsToolEnv(const std::string& toml, bool virtualTime = true,
                        const UnitFiles& files = {}) {
        test_.emplace(host::HostComponents());
        test_->Toml(toml).Options({.virtualTime = virtualTime});
        for (const auto& [name, content] : files) {
            test_->UnitFile(name, content);
        }
        if (!test_->Load()) {
            ADD_FAILURE() << test_->error();
            return;
        }
        Install(test_->unit());
    }
    // A fresh copy of units/default.
    explicit RdsToolEnv(DefaultUnit) {
        auto copy = host::unit::MakeFreshCopy(std::filesystem::path(KESTRIN_SOURCE_DIR) / "units" /
                                              "default");
        if (!copy) {
            ADD_FAILURE() << copy.error().Text();
            return;
        }
        copy_.emplace(std::move(*copy));
        auto loaded =
            host::unit::LoadUnit(copy_->path(), host::HostComponents(), {.virtualTime = true});
        if (!loaded) {
            ADD_FAILURE() << loaded.error().Text();
            return;
        }
        loaded_ = std::move(*loaded);
        Install(*loaded_);
    }
    ~RdsToolEnv() {
        if (watcher_.joinable()) {
            watcher_.join();
        }
    }
    RdsToolEnv(const RdsToolEnv&) = delete;
    RdsToolEnv& operator=(const RdsToolEnv&) = delete;

    [[nodiscard]] bool loaded() const { return unit_ != nullptr; }
    host::unit::VirtualUnit& u() { return *unit_; }
    ui::Desktop& desktop() { return *desktop_; }
    RecordingKernel& kernel() { return *kernel_; }
    host::com7::SimulatedPort& port() { return host::com7::FindCom7(*unit_)->Driver().Simulated(); }

    // What the window shows now (steps run on the UI thread).
    ui::WindowInfo Info(int id) {
        const auto info = desktop().Describe(desktop().FindControl(id));
        EXPECT_TRUE(info.has_value()) << "no control " << id;
        return info.value_or(ui::WindowInfo{});
    }
    std::string Text(int id) { return Info(id).text; }
    bool Checked(int id) { return Info(id).check == ui::BST_CHECKED; }
    bool Enabled(int id) { return Info(id).enabled; }
    void Tap(int id) {
        const ui::Rect r = Info(id).screenRect;
        desktop().Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    void SetText(int id, const std::string& text) {
        if (ui::CWnd* control = desktop().WndOf(desktop().FindControl(id))) {
            control->SetWindowText(text);
        }
    }
    // The bytes written to the port since the last call.
    std::vector<std::uint8_t> NewWrites() {
        const auto all = port().Written();
        std::vector<std::uint8_t> fresh(all.begin() + static_cast<std::ptrdiff_t>(seen_),
                                        all.end());
        seen_ = all.size();
        return fresh;
    }
    int DebugCount(const std::string& line) {
        int n = 0;
        for (const auto& l : u().DebugLines()) {
            n += l == line ? 1 : 0;
        }
        return n;
    }

    // Steps: tap a control (the input runs before the next step).
    void StepTap(int id) {
        presenter.AddCall([this, id] { Tap(id); });
    }
    // Steps: the unit's clock moves on by ms, and everything that brings
    // runs (the module's thread, the receive thread, its control updates on
    // the window's thread) until every thread of the unit waits again.
    void StepAdvance(std::uint64_t ms) {
        presenter.AddCall([this, ms] {
            u().scheduler().AdvanceTo(u().scheduler().NowMs() + ms);
            StartWatcher();
        });
        StepSettleRest();
    }
    // Steps: waits until the unit has settled after the previous step.
    void StepSettle() {
        presenter.AddCall([this] { StartWatcher(); });
        StepSettleRest();
    }

    ui::HeadlessPresenter presenter;
    std::vector<ui::MessageBoxInfo> boxes;

  private:
    void Install(host::unit::VirtualUnit& u) {
        unit_ = &u;
        kernel_ = std::make_unique<RecordingKernel>(u);
        platform::Services services = u.Services();
        services.kernel = kernel_.get();
        services_.emplace(services);
        desktop_.emplace(presenter, &u.Clock());
        desktop_->SetMessageBoxHook([this](const ui::MessageBoxInfo& box) -> std::optional<int> {
            boxes.push_back(box);
            return ui::IDOK;
        });
    }
    // The watcher waits, off the window's thread, until every counted thread
    // of the unit is blocked, then wakes the window's thread: the receive
    // thread's control updates are served meanwhile, since the window's
    // thread keeps running its loop.
    void StartWatcher() {
        settled_ = false;
        watcher_ = std::thread([this] {
            settledOk_ = u().scheduler().WaitQuiescent(kSettle);
            settled_ = true;
            presenter.Wake();
        });
    }
    void StepSettleRest() {
        presenter.AddWaitUntil(
            [this] { return settled_.load() && (!settledOk_.load() || u().Quiescent()); });
        presenter.AddCall([this] {
            watcher_.join();
            EXPECT_TRUE(settledOk_.load()) << "the unit did not settle";
        });
    }

    std::optional<host::unit::TestUnit> test_;
    std::optional<host::unit::TempDir> copy_;
    std::unique_ptr<host::unit::VirtualUnit> loaded_;
    host::unit::VirtualUnit* unit_ = nullptr;
    std::unique_ptr<RecordingKernel> kernel_;
    std::optional<platform::ScopedServices> services_;
    std::optional<ui::Desktop> desktop_;
    std::thread watcher_;
    std::atomic<bool> settled_{false};
    std::atomic<bool> settledOk_{false};
    std::size_t seen_ = 0;
};

}  // namespace rds_test
