// The calibration request and the wait for calib.dat, on a window standing in
// for the console (timer 2 and the caption).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "host/unit/test_unit.h"
#include "platform/api.h"
#include "test_support/calibration_captions.h"
#include "touch/calibration_file.h"
#include "touch/calibration_wait.h"
#include "ui/desktop.h"
#include "ui/dialog.h"
#include "ui/headless_presenter.h"
#include "ui/manual_clock.h"
#include "ui/messages.h"

namespace {

using test_support::kCreating;
using test_support::kNotCreated;
constexpr char kFound[] = "Kestrin";

class FakeTouch : public platform::Touch {
  public:
    platform::BOOL TouchCalibrate() override {
        ++calls;
        return platform::TRUE;
    }
    int calls = 0;
};

// Timer 2 and the caption, as the console has them.
class ConsoleStandIn : public ui::CDialog {
  public:
    ConsoleStandIn() : CDialog(Template()) {}

    std::int32_t tick = 0;
    int ticks = 0;
    std::vector<std::string> captions;  // every caption set after start

    ui::LRESULT WindowProc(ui::UINT message, ui::WPARAM wParam, ui::LPARAM lParam) override {
        if (message == ui::WM_SETTEXT && m_hWnd != nullptr) {
            captions.emplace_back(reinterpret_cast<const char*>(lParam));
        }
        return CDialog::WindowProc(message, wParam, lParam);
    }

  protected:
    void OnTimer(ui::UINT_PTR id) override {
        if (id == kCalibrationTimerId) {
            ++ticks;
            CalibrationWaitTick(*this, tick);
        }
        Default();
    }

  private:
    static ui::DialogTemplate Template() {
        ui::DialogTemplate t;
        t.caption = "Kestrin";
        t.cx = 200;
        t.cy = 100;
        return t;
    }
};

class CalibrationWaitTest : public ::testing::Test {
  protected:
    host::unit::TestUnit t;
    ui::ManualClock clock{20000};
    FakeTouch touch;
    std::optional<platform::ScopedServices> services;
    ui::HeadlessPresenter presenter{&clock};
    ui::Desktop desktop{presenter, &clock};
    ConsoleStandIn console;

    void Load(bool withCalibration) {
        if (withCalibration) {
            t.File(kCalibrationFilePath, "CalibrationData=1,2 3,4 5,6 7,8 9,10\r\n");
        }
        t.Dir("\\Mounted Volume\\Vesk");
        ASSERT_TRUE(t.Load()) << t.error();
        platform::Services s = t.unit().Services();
        s.clock = &clock;
        s.touch = &touch;
        services.emplace(s);
    }

    bool FilePresent() { return std::filesystem::exists(*t.unit().HostPath(kCalibrationFilePath)); }
    void CreateCalibration() {
        const platform::HANDLE h = platform::CreateFile(
            kCalibrationFilePath, platform::GENERIC_WRITE, 0, platform::CREATE_ALWAYS, 0);
        ASSERT_NE(h, platform::INVALID_HANDLE_VALUE);
        platform::CloseHandle(h);
    }
    std::string Caption() { return console.GetWindowText(); }
};

struct Arrival {
    const char* name;
    int beforeTick;  // 0: never; after the eighth it is never looked for
};

TEST_F(CalibrationWaitTest, TheCaptionFollowsTheTicks) {
    Load(false);
    const std::vector<Arrival> cases = {
        {"before the first tick", 1},
        {"before the third", 3},
        {"before the seventh", 7},
        {"only at the eighth", 8},
        {"never", 0},
    };
    constexpr int kTicksWatched = 12;
    for (const Arrival& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> after(kTicksWatched + 1);
        presenter.AddCall([&] {
            if (FilePresent()) {
                ASSERT_TRUE(platform::DeleteFile(kCalibrationFilePath));
            }
            console.captions.clear();
            console.ticks = 0;
            StartCalibrationWait(console, console.tick);
            after[0] = Caption();
        });
        for (int n = 1; n <= kTicksWatched; ++n) {
            if (n == c.beforeTick) {
                presenter.AddCall([&] { CreateCalibration(); });
            }
            presenter.AddWait(1000);
            presenter.AddCall([&, n] { after[static_cast<std::size_t>(n)] = Caption(); });
        }
        presenter.AddCall([&] { console.EndDialog(ui::IDOK); });
        console.DoModal();

        const bool seen = c.beforeTick != 0 && c.beforeTick <= 8;
        const int lastTick = seen ? c.beforeTick : 8;
        EXPECT_EQ(console.ticks, lastTick);
        EXPECT_EQ(after[0], kCreating);
        for (int n = 1; n <= kTicksWatched; ++n) {
            const char* expected = n < lastTick ? kCreating : seen ? kFound : kNotCreated;
            EXPECT_EQ(after[static_cast<std::size_t>(n)], expected) << "after tick " << n;
        }
        std::vector<std::string> expectedCaptions = {kCreating};
        if (lastTick == 8) {
            expectedCaptions.emplace_back(kNotCreated);
        }
        if (seen) {
            expectedCaptions.emplace_back(kFound);
        }
        EXPECT_EQ(console.captions, expectedCaptions);
    }
    EXPECT_EQ(touch.calls, static_cast<int>(cases.size()));
}

TEST_F(CalibrationWaitTest, StartingAgainWhileWaitingRestartsTheCountAndThePeriod) {
    Load(false);
    presenter.AddCall([&] { StartCalibrationWait(console, console.tick); });
    presenter.AddWait(5500);
    presenter.AddCall([&] { StartCalibrationWait(console, console.tick); });
    // Counted from the first start, the eighth tick would have come 2.5 s
    // into the second; on the old period, 7.5 s into it.
    presenter.AddWait(7999);
    presenter.AddCall([&] {
        EXPECT_EQ(Caption(), kCreating);
        EXPECT_EQ(console.ticks, 5 + 7);
    });
    presenter.AddWait(1);
    presenter.AddCall([&] {
        EXPECT_EQ(Caption(), kNotCreated);
        console.EndDialog(ui::IDOK);
    });
    console.DoModal();
    EXPECT_EQ(touch.calls, 2);
}

TEST_F(CalibrationWaitTest, WithoutItsTimerTheWaitSaysCreatingForever) {
    Load(false);
    desktop.SetTimerFailureHook(
        [](ui::HWND, ui::UINT_PTR id) { return id == kCalibrationTimerId; });
    presenter.AddCall([&] { StartCalibrationWait(console, console.tick); });
    presenter.AddCall([&] { CreateCalibration(); });
    presenter.AddWait(20000);
    presenter.AddCall([&] {
        EXPECT_EQ(Caption(), kCreating);
        EXPECT_EQ(console.ticks, 0);
        console.EndDialog(ui::IDOK);
    });
    console.DoModal();
    const auto lines = t.unit().DebugLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "SetTimer failed!::OnInitDialog\r\n"), 1);
}

}  // namespace
