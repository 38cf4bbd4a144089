// The window's loop: its wait when it cannot wait, the scale on a scaled
// desktop, and the framework kept running while Windows runs a loop of its
// own (the window dragged, its system menu open).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "message_wait.h"
#include "pixel_scale.h"
#include "ui/desktop.h"
#include "ui/dialog.h"
#include "win32/window/win32_presenter.h"

#include <windows.h>

namespace win32::window {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

TEST(PixelScaleTest, AScaledDesktopTakesWholePixels) {
    struct Case {
        int scale;
        unsigned dpi;
        int pixels;
    };
    const Case cases[] = {
        {2, 96, 2},  {2, 120, 2}, {2, 144, 3},  {2, 192, 4},
        {1, 144, 1}, {3, 144, 4}, {8, 192, 16}, {2, 0, 2},  // no answer: a 100 % desktop
    };
    for (const Case& c : cases) {
        EXPECT_EQ(detail::WholeScale(c.scale, c.dpi), c.pixels) << c.scale << " at " << c.dpi;
    }
}

TEST(MessageWaitTest, AWaitThatCannotWaitStillTakesItsTime) {
    // No handle to wait on: MsgWaitForMultipleObjectsEx fails at once.
    HANDLE gone = nullptr;
    constexpr int kWaits = 10;
    const auto start = steady_clock::now();
    for (int i = 0; i < kWaits; ++i) {
        EXPECT_EQ(detail::WaitForMessages(gone, INFINITE), detail::Woken::Deadline);
    }
    EXPECT_GE(steady_clock::now() - start, milliseconds(kWaits * detail::kFailedWaitMs / 2));
    // Nothing left to wait: at once (the same count of waits in half the
    // time the failed ones took, so that one slow turn of a loaded machine
    // is not taken for a sleep).
    const auto now = steady_clock::now();
    for (int i = 0; i < kWaits; ++i) {
        EXPECT_EQ(detail::WaitForMessages(gone, 0), detail::Woken::Deadline);
    }
    EXPECT_LT(steady_clock::now() - now, milliseconds(kWaits * detail::kFailedWaitMs / 2));
}

class SteadyClock final : public platform::Clock {
  public:
    std::uint64_t NowMs() override {
        return static_cast<std::uint64_t>(
            std::chrono::duration_cast<milliseconds>(steady_clock::now().time_since_epoch())
                .count());
    }
};

// A dialog of the framework whose timer ticks every 20 ms.
class Ticker final : public ui::CDialog {
  public:
    explicit Ticker(std::function<void(Ticker&)> tick)
        : CDialog(Template()), tick_(std::move(tick)) {}

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        SetTimer(1, 20);
        return TRUE;
    }

  protected:
    void OnTimer(UINT_PTR /*id*/) override { tick_(*this); }

  private:
    static ui::DialogTemplate Template() {
        ui::DialogTemplate t;
        t.caption = "Ticker";
        t.style = WS_POPUP | WS_CAPTION;
        t.cx = 100;
        t.cy = 40;
        return t;
    }
    std::function<void(Ticker&)> tick_;
};

bool InWindowsLoop() {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetCurrentThreadId(), &info) != 0 &&
           (info.flags & (GUI_INMOVESIZE | GUI_INMENUMODE)) != 0;
}

TEST(WindowLoopTest, TheFrameworkRunsWhileWindowsMovesTheWindowOrShowsItsMenu) {
    struct Case {
        const char* name;
        WPARAM command;
        LPARAM key;
    };
    for (const Case c : {Case{"move", SC_MOVE, 0}, Case{"system menu", SC_KEYMENU, ' '}}) {
        SCOPED_TRACE(c.name);
        SteadyClock clock;
        auto created = Win32Presenter::Create({.title = "Kestrin loop"}, clock);
        if (!created) {
            GTEST_SKIP() << "no window (run under xvfb-run): " << created.error();
        }
        std::unique_ptr<Win32Presenter> presenter = std::move(*created);
        auto* const hwnd = static_cast<HWND>(presenter->NativeHandle());
        ui::Desktop desktop(*presenter, &clock);
        int ticks = 0;
        int ticksInLoop = 0;
        Ticker ticker([&](Ticker& t) {
            ++ticks;
            if (ticks == 1) {
                // Windows' loop starts from the next message the window takes.
                PostMessageW(hwnd, WM_SYSCOMMAND, c.command, c.key);
            } else if (InWindowsLoop()) {
                if (++ticksInLoop >= 3) {
                    PostMessageW(hwnd, WM_KEYDOWN, VK_ESCAPE, 1);
                }
            } else if (ticksInLoop >= 3 || ticks > 200) {
                t.EndDialog(0);
            }
        });
        // Without the framework's ticks nothing would end Windows' loop.
        std::atomic<bool> done{false};
        std::thread watchdog([&] {
            const auto give_up = steady_clock::now() + milliseconds(5000);
            while (!done.load()) {
                if (steady_clock::now() > give_up) {
                    PostMessageW(hwnd, WM_KEYDOWN, VK_ESCAPE, 1);
                }
                std::this_thread::sleep_for(milliseconds(50));
            }
        });
        ticker.DoModal();
        done = true;
        watchdog.join();
        EXPECT_GE(ticksInLoop, 3);
    }
}

}  // namespace
}  // namespace win32::window
