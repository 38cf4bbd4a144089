// The result window on a test unit with the stand-in GPS and serial devices.
#pragma once

#include <functional>
#include <string>

#include "diag/diag_result_dlg.h"
#include "test_devices.h"
#include "test_support/unit_ui_fixture.h"
#include "ui/messages.h"

namespace kestrin_test {

inline constexpr int kResultId = 1002;
inline constexpr int kResultOkId = 1001;

class DiagTest : public test_support::UnitUiTest {
  protected:
    void SetUp() override {
        components.push_back(FakeDevices::Kind());
        unitDir->With({FakeDevices::Kind()});
    }

    FakeDevices& Devices() { return FakeDevices::Of(Unit()); }

    struct Outcome {
        std::string caption;
        std::string text;
        int result = 0;
    };

    // Runs the result window for a check, lets `settle` steps run (the
    // check has run at the first paint by then), reads caption and text,
    // and presses "OK".
    Outcome RunCheck(std::int32_t selector, const std::function<void()>& settle = {}) {
        CDiagResultDlg dlg;
        dlg.SetSelector(selector);
        Outcome out;
        if (settle) {
            settle();
        }
        StepCall([&] {
            out.caption = desktop->Describe(dlg.m_hWnd)->text;
            out.text = Text(kResultId);
            TapControl(kResultOkId);
        });
        out.result = dlg.DoModal();
        return out;
    }

    // A step that holds the run until the result text is there.
    void StepUntilText(CDiagResultDlg* /*unused*/ = nullptr) {
        presenter.AddWaitUntil([this] {
            const ui::HWND edit = desktop->FindControl(kResultId);
            return edit != nullptr && !desktop->Describe(edit)->text.empty();
        });
    }
};

}  // namespace kestrin_test
