// A full repaint of a dialog with 30 controls of every kind (target: under
// 2 ms), the cost of one message round trip through the loop, and typing a
// long text into an edit.
#include <benchmark/benchmark.h>

#include <string>

#include "ui/desktop.h"
#include "ui/framework.h"
#include "ui/headless_presenter.h"
#include "ui/manual_clock.h"

namespace {

using namespace ui;

// Takes nothing and shows nothing: only the framework's own work is timed.
class NullPresenter : public HeadlessPresenter {
  public:
    explicit NullPresenter(ManualClock* clock) : HeadlessPresenter(clock) {}
    void Present(const Framebuffer& /*screen*/) override {}
};

DialogTemplate ThirtyControls() {
    DialogTemplate t;
    t.caption = "Thirty controls";
    t.exStyle = WS_EX_CAPTIONOKBTN;
    t.cx = 210;
    t.cy = 130;
    int id = 1000;
    t.items.push_back(GroupBox(id++, "Group", 2, 2, 100, 60));
    for (int i = 0; i < 5; ++i) {
        t.items.push_back(AutoRadioButton(id++, "Radio " + std::to_string(i), 8, 10 + 10 * i, 45,
                                          10, i == 0 ? WS_GROUP : 0));
    }
    for (int i = 0; i < 4; ++i) {
        t.items.push_back(
            AutoRadioButton(id++, "Push", 55, 10 + 12 * i, 40, 11, WS_GROUP | BS_PUSHLIKE));
    }
    for (int i = 0; i < 6; ++i) {
        t.items.push_back(LText(id++, "Label " + std::to_string(i), 108, 4 + 11 * i, 40, 10));
        t.items.push_back(EditText(id++, 150, 3 + 11 * i, 30, 10));
    }
    t.items.push_back(UpDown(id++, 180, 3, 11, 10, UDS_AUTOBUDDY | UDS_SETBUDDYINT));
    for (int i = 0; i < 4; ++i) {
        t.items.push_back(PushButton(id++, "Button", 4 + 42 * i, 68, 40, 14));
    }
    t.items.push_back(EditText(id++, 4, 86, 120, 40, ES_MULTILINE | ES_READONLY | WS_VSCROLL));
    t.items.push_back(Trackbar(id++, 130, 70, 24, 56, TBS_VERT | TBS_AUTOTICKS));
    t.items.push_back(TabControl(id++, 160, 80, 48, 46));
    return t;  // 30 controls
}

void BM_FullRepaintOfThirtyControls(benchmark::State& state) {
    ManualClock clock;
    NullPresenter presenter(&clock);
    Desktop desktop(presenter, &clock);
    CDialog dlg(ThirtyControls());
    presenter.AddCall([&] {
        dlg.MoveWindow(0, 0, kScreenWidth, kScreenHeight);
        dlg.GetDlgItem(1029)->SetWindowText(
            "Several lines\r\nof text in the\r\nmulti-line edit\r\nthat scrolls");
        desktop.Screen();
        for ([[maybe_unused]] auto _ : state) {
            desktop.InvalidateAll();
            benchmark::DoNotOptimize(desktop.Screen().Data());
        }
        dlg.EndDialog(0);
    });
    dlg.DoModal();
}
BENCHMARK(BM_FullRepaintOfThirtyControls)->Unit(benchmark::kMicrosecond);

void BM_PostedMessageRoundTrip(benchmark::State& state) {
    ManualClock clock;
    NullPresenter presenter(&clock);
    Desktop desktop(presenter, &clock);
    CDialog dlg(ThirtyControls());
    int handled = 0;
    dlg.BindMessage(WM_USER + 1, [&](WPARAM, LPARAM) {
        ++handled;
        return 0;
    });
    presenter.AddCall([&] {
        for ([[maybe_unused]] auto _ : state) {
            dlg.PostMessage(WM_USER + 1);
            desktop.PumpPending();
        }
        dlg.EndDialog(0);
    });
    dlg.DoModal();
    benchmark::DoNotOptimize(handled);
}
BENCHMARK(BM_PostedMessageRoundTrip);

// Typing a text of state.range(0) characters into a wrapping multi-line
// edit, as a script's `type` does: the time grows with the text's length,
// not with its square.
void BM_TypeIntoAMultiLineEdit(benchmark::State& state) {
    ManualClock clock;
    NullPresenter presenter(&clock);
    Desktop desktop(presenter, &clock);
    DialogTemplate t;
    t.caption = "Typing";
    t.cx = 210;
    t.cy = 130;
    t.items.push_back(EditText(1000, 4, 4, 200, 120, ES_MULTILINE | WS_VSCROLL));
    CDialog dlg(t);
    std::string text;
    while (text.size() < static_cast<std::size_t>(state.range(0))) {
        text += "word" + std::to_string(text.size() % 97) + ' ';
    }
    text.resize(static_cast<std::size_t>(state.range(0)));
    presenter.AddCall([&] {
        dlg.GetDlgItem(1000)->SetFocus();
        for ([[maybe_unused]] auto _ : state) {
            dlg.SetDlgItemText(1000, "");
            desktop.TypeText(text);
            desktop.PumpPending();
            benchmark::DoNotOptimize(desktop.Screen().Data());
        }
        dlg.EndDialog(0);
    });
    dlg.DoModal();
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_TypeIntoAMultiLineEdit)
    ->RangeMultiplier(10)
    ->Range(300, 30'000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

}  // namespace

BENCHMARK_MAIN();
