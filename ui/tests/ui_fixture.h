// The setting every framework test runs in: a manual clock, the test kernel
// installed as the platform, a headless presenter driven by steps, and the
// desktop on the test's thread (the UI thread).
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/services.h"
#include "test_kernel.h"
#include "test_support/desktop_controls.h"
#include "ui/desktop.h"
#include "ui/framework.h"
#include "ui/headless_presenter.h"
#include "ui/manual_clock.h"

namespace ui::test {

inline constexpr std::uint64_t kStartMs = 10000;

class UiTest : public ::testing::Test {
  protected:
    ManualClock clock{kStartMs};
    TestKernel kernel;
    platform::ScopedServices services{
        platform::Services{&kernel, nullptr, nullptr, nullptr, nullptr, &clock, nullptr}};
    HeadlessPresenter presenter{&clock};
    Desktop desktop{presenter};

    // Steps left over mean checks that never ran.
    void TearDown() override { EXPECT_EQ(presenter.PendingSteps(), 0U) << "steps never ran"; }

    // The screen position of a control's centre.
    Point CenterOf(int id) { return test_support::CenterOf(desktop, id); }
    WindowInfo Info(int id) { return test_support::Info(desktop, id); }
    void TapControl(int id) { test_support::TapControl(desktop, id); }
    // A step that taps a control when it runs (the control exists by then).
    void StepTap(int id) {
        presenter.AddCall([this, id] { TapControl(id); });
    }
};

// A dialog whose pieces a test fills in with lambdas.
class TestDialog : public CDialog {
  public:
    explicit TestDialog(DialogTemplate t, CWnd* parent = nullptr) : CDialog(std::move(t), parent) {}

    std::function<void(TestDialog&)> onInit;
    std::function<void(TestDialog&, UINT_PTR)> onTimer;
    std::function<void(TestDialog&, CDC&)> onPaint;
    std::function<void(CDataExchange*)> exchange;
    int initCount = 0;
    int paintCount = 0;

    BOOL OnInitDialog() override {
        ++initCount;
        CDialog::OnInitDialog();
        if (onInit) {
            onInit(*this);
        }
        return TRUE;
    }
    void DoDataExchange(CDataExchange* dx) override {
        if (exchange) {
            exchange(dx);
        }
    }
    using CDialog::Default;

  protected:
    void OnTimer(UINT_PTR id) override {
        if (onTimer) {
            onTimer(*this, id);
        }
        Default();
    }
    void OnPaint() override {
        ++paintCount;
        CPaintDC dc(this);
        if (onPaint) {
            onPaint(*this, dc);
        }
    }
};

// A 180 x 122 dialog unit dialog with a caption, close box and OK box.
inline DialogTemplate BasicTemplate(std::string caption = "Test") {
    DialogTemplate t;
    t.caption = std::move(caption);
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    t.exStyle = WS_EX_CAPTIONOKBTN;
    t.cx = 180;
    t.cy = 122;
    return t;
}

}  // namespace ui::test
