// The GPS information window on a virtual unit with the GPS1: component:
// the unit on virtual time (or real time, for a source of the host), the
// platform installed, a headless desktop whose message boxes are answered
// and recorded.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "gpsinfo/gps_info_dlg.h"
#include "host/gps1/gps1_component.h"
#include "host/gps1/gps1_driver.h"
#include "host/unit/scheduler.h"
#include "host/unit/test_unit.h"
#include "platform/services.h"
#include "ui/desktop.h"
#include "ui/framework.h"
#include "ui/headless_presenter.h"

namespace gps_test {

class GpsWindowEnv {
  public:
    explicit GpsWindowEnv(const std::string& toml, bool virtualTime = true) {
        t_.With({Gps1ComponentKind()}).Toml(toml).Options({.virtualTime = virtualTime});
        loaded_ = t_.Load();
        if (!loaded_) {
            ADD_FAILURE() << t_.error();
            return;
        }
        services_.emplace(t_.unit().Services());
        desktop_.emplace(presenter, &t_.unit().Clock());
        desktop_->SetMessageBoxHook([this](const ui::MessageBoxInfo& box) -> std::optional<int> {
            boxes.push_back(box);
            return ui::IDOK;
        });
    }

    [[nodiscard]] bool loaded() const { return loaded_; }
    host::unit::VirtualUnit& u() { return t_.unit(); }
    ui::Desktop& desktop() { return *desktop_; }
    host::gps1::Gps1Driver& driver() { return *host::gps1::FindGps1Driver(t_.unit()); }

    // The window's caption and its text now (steps run on the UI thread).
    std::string Caption() { return Describe(desktop().ActiveWindow()).text; }
    std::string Text() { return Describe(desktop().FindControl(CGpsInfoDlg::IDC_EDIT_INFO)).text; }

    // A step: bytes reach the driver, and the receive thread reads and posts
    // them before the next step runs.
    void StepFeed(std::string bytes) {
        presenter.AddCall([this, bytes = std::move(bytes)] {
            driver().Feed(bytes);
            EXPECT_TRUE(u().scheduler().WaitQuiescent(std::chrono::seconds(10)));
        });
    }

    // Every thread of the unit blocked or gone: a thread that has just told
    // the framework it ended may still be on its way out of the unit.
    bool Settle() { return u().scheduler().WaitQuiescent(std::chrono::seconds(10)); }

    int DebugCount(const std::string& line) {
        int n = 0;
        for (const auto& l : u().DebugLines()) {
            n += l == line ? 1 : 0;
        }
        return n;
    }

    ui::HeadlessPresenter presenter;
    std::vector<ui::MessageBoxInfo> boxes;

  private:
    ui::WindowInfo Describe(ui::HWND hwnd) {
        const auto info = desktop().Describe(hwnd);
        EXPECT_TRUE(info.has_value());
        return info.value_or(ui::WindowInfo{});
    }

    host::unit::TestUnit t_;
    bool loaded_ = false;
    std::optional<platform::ScopedServices> services_;
    std::optional<ui::Desktop> desktop_;
};

}  // namespace gps_test
