// The runner on real dialogs of the framework and a small unit: each command,
// the failures with their line, expected and found value, the settling of
// workers and of the unit's threads, and how a run ends.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <sstream>

#include "host/script_target.h"
#include "host/unit/scheduler.h"
#include "host/unit/test_unit.h"
#include "platform/services.h"
#include "probe_dialog.h"
#include "script/script_runner.h"
#include "ui/demo_dialog.h"
#include "ui/desktop.h"
#include "ui/headless_presenter.h"
#include "ui/manual_clock.h"

namespace script::test {
namespace {

struct Outcome {
    int code = -1;
    std::string log;
    std::size_t commandsRun = 0;
};

class RunnerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        unit_.Toml("[power]\nbattery_mv = 3700\n");
        ASSERT_TRUE(unit_.Load()) << unit_.error();
    }

    // Runs the script on whatever application object the test made.
    Outcome Run(std::string_view text, RunnerOptions options = {}) {
        ParseResult parsed = ParseScript(text, "t.script");
        if (!parsed) {
            ADD_FAILURE() << Describe("t.script", parsed.error());
            return {};
        }
        platform::ScopedServices services(unit_.unit().Services());
        unit_.unit().ClearDebugLines();
        std::ostringstream log;
        host::ScriptTarget target(unit_.unit());
        ScriptRunner runner(std::move(*parsed), target, log, std::move(options));
        ui::AfxWinMain(runner, &unit_.unit().Clock());
        Outcome out;
        out.code = runner.Finish();
        out.log = log.str();
        out.commandsRun = runner.CommandsRun();
        return out;
    }

    // Where a control of the probe dialog lies on the screen.
    ui::Rect ProbeRect(int id) {
        ui::ManualClock clock;
        platform::ScopedServices services(unit_.unit().Services());
        ui::HeadlessPresenter presenter(&clock);
        ProbeApp app;
        ui::Rect rect;
        presenter.AddCall([&] {
            ui::Desktop* d = ui::Desktop::Current();
            rect = d->Describe(d->FindControl(id)).value_or(ui::WindowInfo{}).screenRect;
        });
        ui::AfxWinMain(presenter, &clock);
        return rect;
    }

    host::unit::TestUnit unit_;
};

TEST_F(RunnerTest, EveryKindOfCommandOnOneDialog) {
    ProbeApp app;
    const Outcome out = Run(R"(# what a technician does, checked as it goes
expect caption "Probe"
expect text 1002 "idle"
expect match 1002 "i[a-z]+"
expect visible 1006 0
expect visible 1003 1
expect enabled 1007 0
expect enabled 1003 1
expect check 1005 0
click 1005
expect check 1005 1
type 1001 "abc"
expect text 1001 "abc"
key Backspace
type 1001 d e
expect text 1001 "abd e"
click 1004
expect debug "Log pressed::OnLog\r\n"
expect debug "count=1\r\n"
click 1003
expect msgbox "Proceed?\r\nSure"
expect caption "Question"
answer CANCEL
expect nomsgbox
expect text 1002 "answer 2"
click 1003
answer OK
expect text 1002 "answer 1"
click 1003
key Enter
expect text 1002 "answer 1"
click 1003
key Esc
expect text 1002 "answer 2"
click 1009
expect text 1002 "worker 7"
click 1010
expect caption "Child"
expect text 2001 "inside"
expect text 1002 "worker 7"
quit
expect caption "Probe"
expect text 1002 "child 2"
close
expect caption "Probe"
)");
    EXPECT_EQ(out.code, kExitPassed) << out.log;
    EXPECT_EQ(out.log, "");
    EXPECT_EQ(app.closeRequests, 1);
    // The end of the script cancels the dialog.
    EXPECT_EQ(app.result, ui::IDCANCEL);
}

TEST_F(RunnerTest, WaitRunsTimersAndUnitChangesShowOnTheirNextTick) {
    ProbeApp app;
    const Outcome out = Run(R"(
expect text 1008 ""
wait 0
wait 499
expect text 1008 ""
wait 1
expect text 1008 "3700"
unit power.battery_mv 3650
expect text 1008 "3700"
wait 499
expect text 1008 "3700"
wait 1
expect text 1008 "3650"
)");
    EXPECT_EQ(out.code, kExitPassed) << out.log;
    EXPECT_EQ(unit_.unit().Clock().NowMs(), 1000U);
}

TEST_F(RunnerTest, WaitStopsAtEveryDeadlineOfTheUnitsThreads) {
    // A simulated device counts every 300 ms; the dialog shows the count
    // every 500 ms. Each tick must see every count due before it.
    std::atomic<int> count{0};
    host::unit::Scheduler& scheduler = unit_.unit().scheduler();
    host::unit::SimThread device(scheduler, [&](const std::stop_token& stop) {
        for (std::uint64_t n = 1;; ++n) {
            if (!scheduler.SleepUntil(300 * n, stop)) {
                return;
            }
            count.store(static_cast<int>(n));
        }
    });
    ProbeApp app;
    app.prepare = [&](CProbeDlg& dlg) {
        dlg.onTick = [&] { return std::to_string(count.load()); };
    };
    const Outcome out = Run(R"(
wait 500
expect text 1011 "1"
wait 500
expect text 1011 "3"
wait 1000
expect text 1011 "6"
wait 1000
expect text 1011 "10"
)");
    EXPECT_EQ(out.code, kExitPassed) << out.log;
}

TEST_F(RunnerTest, FailuresNameTheLineWhatWasExpectedAndWhatWasFound) {
    struct Case {
        const char* script;
        const char* message;  // the whole line the runner writes
    };
    const Case cases[] = {
        {"expect text 1002 \"busy\"",
         "t.script:1: expect text 1002 \"busy\": "
         "expected \"busy\", found \"idle\""},
        {"\n\nexpect match 1002 \"i.\"",
         "t.script:3: expect match 1002 \"i.\": "
         "expected a match of \"i.\", found \"idle\""},
        {"expect caption \"Kestrin\"",
         "t.script:1: expect caption \"Kestrin\": expected \"Kestrin\", found \"Probe\""},
        {"expect check 1005 1", "t.script:1: expect check 1005 1: expected 1, found 0"},
        {"expect check 1002 0", "t.script:1: expect check 1002 0: control 1002 is not a button"},
        {"expect enabled 1007 1", "t.script:1: expect enabled 1007 1: expected 1, found 0"},
        {"expect visible 1006 1", "t.script:1: expect visible 1006 1: expected 1, found 0"},
        {"expect msgbox \"x\"",
         "t.script:1: expect msgbox \"x\": expected a message box \"x\", found none"},
        {"click 1003\nexpect nomsgbox",
         "t.script:2: expect nomsgbox: expected no message box, found the message box "
         "\"Proceed?\\r\\nSure\""},
        {"click 1003\nexpect msgbox \"Proceed?\"",
         "t.script:2: expect msgbox \"Proceed?\": expected \"Proceed?\", found "
         "\"Proceed?\\r\\nSure\""},
        {"expect debug \"x\"",
         "t.script:1: expect debug \"x\": expected the debug line \"x\", found no new debug "
         "line"},
        // Debug lines are taken in order: the second line was already passed.
        {"click 1004\nexpect debug \"count=1\\r\\n\"\nexpect debug \"Log pressed::OnLog\\r\\n\"",
         "t.script:3: expect debug \"Log pressed::OnLog\\r\\n\": expected the debug line "
         "\"Log pressed::OnLog\\r\\n\", found no new debug line"},
        {"click 1004\nexpect debug \"count=2\\r\\n\"",
         "t.script:2: expect debug \"count=2\\r\\n\": expected the debug line \"count=2\\r\\n\", "
         "found \"Log pressed::OnLog\\r\\n\", \"count=1\\r\\n\""},
        {"expect text 4242 \"\"",
         "t.script:1: expect text 4242 \"\": no control 4242 in the window on top or its owners"},
        {"click 4242",
         "t.script:1: click 4242: no control 4242 in the window on top or its owners"},
        {"click 1006", "t.script:1: click 1006: control 1006 is not visible"},
        {"type 1007 x", "t.script:1: type 1007 x: control 1007 is hidden or disabled"},
        {"answer OK", "t.script:1: answer OK: there is no message box to answer"},
        {"tab 0", "t.script:1: tab 0: no tab control in the window on top or its owners"},
        {"wait 100\nexpect text 1008 \"3700\"",
         "t.script:2: expect text 1008 \"3700\": expected \"3700\", found \"\""},
    };
    for (const Case& k : cases) {
        ProbeApp app;
        const Outcome out = Run(k.script);
        EXPECT_EQ(out.code, kExitFailed) << k.script;
        EXPECT_EQ(out.log, std::string(k.message) + "\n") << k.script;
    }
}

TEST_F(RunnerTest, PatternsOnALongTextNeitherCrashNorHang) {
    // A Ver page of 600 map files: the idioms that overflowed the stack or
    // backtracked without end match in linear time; a pattern too large
    // for so long a text fails its line.
    std::string maps;
    for (int i = 1; i <= 600; ++i) {
        maps += "Region-" + std::to_string(1000 + i) + ".map  12/03/2006 10:31:00  46byte\r\n";
    }
    maps += "Iberia.map";
    ProbeApp app;
    app.prepare = [&maps](CProbeDlg& dlg) { dlg.onTick = [&maps] { return maps; }; };
    const Outcome out = Run(R"(wait 500
expect match 1011 "[\\s\\S]*Region-1001[\\s\\S]*"
expect match 1011 "(.|\\s)*Iberia(.|\\s)*"
expect match 1011 "(?s).*"
expect match 1011 "(Region-\\d{4}\\.map +[0-9/]{10} [0-9:]{8} +\\d+byte\r\n)*Iberia\\.map"
expect match 1011 "[\\s\\S]{1000}[\\s\\S]{1000}"
)");
    EXPECT_EQ(out.code, kExitFailed);
    EXPECT_EQ(out.log,
              "t.script:6: expect match 1011 \"[\\\\s\\\\S]{1000}[\\\\s\\\\S]{1000}\": control "
              "1011: a text of " +
                  std::to_string(maps.size()) +
                  " bytes is too long for this pattern (at most 7139 bytes for its 14004 "
                  "instructions)\n");
}

TEST_F(RunnerTest, SettingsTheUnitRefusesFailWithItsReason) {
    struct Case {
        const char* script;
        const char* reason;
    };
    const Case cases[] = {
        {"unit power.battery_mv 20001", "power.battery_mv"},
        {"unit power.battery_mv many", "power.battery_mv"},
        {"unit nosuch.key 1", "unknown table"},
    };
    for (const Case& k : cases) {
        ProbeApp app;
        const Outcome out = Run(k.script);
        EXPECT_EQ(out.code, kExitFailed) << k.script;
        EXPECT_EQ(out.log.rfind("t.script:1: " + std::string(k.script) + ": ", 0), 0U) << out.log;
        EXPECT_NE(out.log.find(k.reason), std::string::npos) << out.log;
    }
}

TEST_F(RunnerTest, NothingRunsAfterAFailure) {
    ProbeApp app;
    const Outcome out = Run("expect text 1002 \"busy\"\nclick 1004\nexpect text 1002 \"idle\"");
    EXPECT_EQ(out.code, kExitFailed);
    EXPECT_EQ(out.commandsRun, 1U);
    EXPECT_TRUE(unit_.unit().DebugLines().empty());
}

TEST_F(RunnerTest, TheEndCancelsEveryWindowFromTheTop) {
    for (const char* script : {"click 1010", "click 1003", "click 1010\nclick 2001"}) {
        ProbeApp app;
        const Outcome out = Run(script);
        EXPECT_EQ(out.code, kExitPassed) << script << ": " << out.log;
        EXPECT_EQ(app.result, ui::IDCANCEL) << script;
    }
}

TEST_F(RunnerTest, LinesLeftWhenTheProgramEndsFailTheRun) {
    struct Case {
        const char* script;
        const char* message;
    };
    const Case cases[] = {
        {"quit\nexpect text 1002 \"idle\"",
         "t.script:2: expect text 1002 \"idle\": the program ended before this line ran\n"},
        {"quit\nwait 10", "t.script:2: wait 10: the program ended before this line ran\n"},
        {"quit", ""},
        {"key Esc", ""},
    };
    for (const Case& k : cases) {
        ProbeApp app;
        const Outcome out = Run(k.script);
        EXPECT_EQ(out.code, *k.message == '\0' ? kExitPassed : kExitFailed) << k.script;
        EXPECT_EQ(out.log, k.message);
        EXPECT_EQ(app.result, ui::IDCANCEL);
    }
}

TEST_F(RunnerTest, AWorkerThatNeverSettlesFailsTheScriptInsteadOfHanging) {
    // The worker blocks where the unit cannot see it, so it never counts as
    // settled. It keeps its own share of the latch: it runs on after the
    // test body until the unit joins it.
    struct Latch {
        std::mutex mutex;
        std::condition_variable cv;
        bool released = false;
    };
    const auto latch = std::make_shared<Latch>();
    ProbeApp app;
    app.prepare = [latch](CProbeDlg& dlg) {
        dlg.work = [latch](CProbeDlg& /*self*/) {
            std::unique_lock lock(latch->mutex);
            latch->cv.wait(lock, [&] { return latch->released; });
        };
    };
    RunnerOptions options;
    options.settleLimit = std::chrono::milliseconds(100);
    const Outcome out = Run("click 1009\nexpect text 1002 \"idle\"", options);
    {
        std::lock_guard lock(latch->mutex);
        latch->released = true;
    }
    latch->cv.notify_all();
    EXPECT_EQ(out.code, kExitFailed);
    EXPECT_EQ(out.log.rfind("t.script:2: expect text 1002 \"idle\": the system did not settle "
                            "within 100 ms (",
                            0),
              0U)
        << out.log;
}

TEST_F(RunnerTest, AtTheEndAWindowWaitingForItsWorkerGetsTheTimeTheWorkerWaitsFor) {
    // The worker waits on the unit's clock for 3 s; cancelling the dialog
    // waits for the worker.
    host::unit::Scheduler& scheduler = unit_.unit().scheduler();
    ProbeApp app;
    app.prepare = [&](CProbeDlg& dlg) {
        dlg.joinWorkerOnCancel = true;
        dlg.work = [&scheduler](CProbeDlg& /*self*/) {
            host::unit::WaitPoint never(scheduler);
            std::mutex mutex;
            std::unique_lock lock(mutex);
            never.Wait(
                lock, [] { return false; }, scheduler.NowMs() + 3000);
        };
    };
    const Outcome out = Run("wait 100\nclick 1009\nwait 100");
    EXPECT_EQ(out.code, kExitPassed) << out.log;
    EXPECT_EQ(app.result, ui::IDCANCEL);
    EXPECT_EQ(scheduler.NowMs(), 3100U);
}

// The unit's target, but the first time the runner finds the unit settled
// while a window waits for its worker, that worker is let go and ends right
// there: between the runner's look at the framework and its look at the
// unit, as a loaded machine may have it.
class EndsTheWorkerAsItSettles final : public Target {
  public:
    EndsTheWorkerAsItSettles(Target& unit, std::function<void()> endWorker)
        : unit_(unit), endWorker_(std::move(endWorker)) {}

    [[nodiscard]] bool VirtualTime() const override { return unit_.VirtualTime(); }
    [[nodiscard]] std::uint64_t NowMs() const override { return unit_.NowMs(); }
    void AdvanceTo(std::uint64_t ms) override { unit_.AdvanceTo(ms); }
    [[nodiscard]] std::optional<std::uint64_t> NextDeadline() const override {
        return unit_.NextDeadline();
    }
    [[nodiscard]] bool Quiescent() const override {
        const ui::Desktop* desktop = ui::Desktop::Current();
        if (endWorker_ && desktop != nullptr && desktop->WaitingForThread() && unit_.Quiescent()) {
            std::exchange(endWorker_, {})();
        }
        return unit_.Quiescent();
    }
    bool WaitQuiescent(std::chrono::milliseconds limit) override {
        return unit_.WaitQuiescent(limit);
    }
    [[nodiscard]] std::string Activity() const override { return unit_.Activity(); }
    platform::Result<void> Set(std::string_view key, std::string_view value) override {
        return unit_.Set(key, value);
    }
    [[nodiscard]] std::vector<std::string> DebugLines() const override {
        return unit_.DebugLines();
    }
    void Stop() override { unit_.Stop(); }

  private:
    Target& unit_;
    mutable std::function<void()> endWorker_;
};

TEST_F(RunnerTest, AWindowWaitingForItsWorkerGoesOnBeforeTheNextCommandHoweverTheWorkerIsTimed) {
    // The worker waits on the unit until it is let go; "Join" waits for it.
    struct Gate {
        explicit Gate(host::unit::Scheduler& scheduler) : point(scheduler) {}
        host::unit::WaitPoint point;
        std::mutex mutex;
        bool open = false;
    };
    host::unit::Scheduler& scheduler = unit_.unit().scheduler();
    const auto gate = std::make_shared<Gate>(scheduler);
    ProbeApp app;
    app.prepare = [gate](CProbeDlg& dlg) {
        dlg.work = [gate](CProbeDlg& /*self*/) {
            std::unique_lock lock(gate->mutex);
            gate->point.Wait(lock, [&] { return gate->open; });
        };
    };
    ParseResult parsed =
        ParseScript("click 1009\nclick 1012\nexpect text 1002 \"joined\"\n", "t.script");
    platform::ScopedServices services(unit_.unit().Services());
    host::ScriptTarget unit(unit_.unit());
    EndsTheWorkerAsItSettles target(unit, [&] {
        {
            std::lock_guard lock(gate->mutex);
            gate->open = true;
        }
        gate->point.NotifyAll();
        scheduler.WaitQuiescent(std::chrono::seconds(20));  // the worker has returned
    });
    std::ostringstream log;
    ScriptRunner runner(std::move(*parsed), target, log);
    ui::AfxWinMain(runner, &unit_.unit().Clock());
    EXPECT_EQ(runner.Finish(), kExitPassed) << log.str();
}

TEST_F(RunnerTest, AtTheEndAWorkerThatNeverEndsHasAMinuteOfTheUnitsClock) {
    // However slow the machine: the limit is on the unit's clock.
    host::unit::Scheduler& scheduler = unit_.unit().scheduler();
    ProbeApp app;
    app.prepare = [&](CProbeDlg& dlg) {
        dlg.joinWorkerOnCancel = true;
        dlg.work = [&scheduler](CProbeDlg& /*self*/) {
            while (scheduler.SleepUntil(scheduler.NowMs() + 1000)) {
            }
        };
    };
    RunnerOptions options;
    options.settleLimit = std::chrono::milliseconds(100);
    const Outcome out = Run("wait 100\nclick 1009", options);
    EXPECT_EQ(out.code, kExitFailed);
    EXPECT_EQ(out.log,
              "t.script: at the end: a window still waits for its thread after 60 s of the "
              "unit's clock\n");
    EXPECT_EQ(scheduler.NowMs(), 60'100U);
}

TEST_F(RunnerTest, HardwareKeysAreThePinsOfTheUnit) {
    struct Case {
        const char* script;
        bool power;
        bool guide;
    };
    const Case cases[] = {
        {"key POWER down", true, false},
        {"key POWER down\nkey POWER up", false, false},
        {"key GUIDE down", false, true},
        {"key GUIDE down\nkey POWER down\nkey GUIDE up", true, false},
    };
    for (const Case& k : cases) {
        unit_.unit().SetPin(0, false);
        unit_.unit().SetPin(2, false);
        ProbeApp app;
        const Outcome out = Run(k.script);
        EXPECT_EQ(out.code, kExitPassed) << out.log;
        EXPECT_EQ(unit_.unit().Pin(0), k.power) << k.script;
        EXPECT_EQ(unit_.unit().Pin(2), k.guide) << k.script;
    }
}

TEST_F(RunnerTest, PenDownMoveAndUpAreSeparateEvents) {
    const ui::Rect mute = ProbeRect(IDC_MUTE);
    ASSERT_GT(mute.right, mute.left);
    const int x = (mute.left + mute.right) / 2;
    const int y = (mute.top + mute.bottom) / 2;
    const std::string at = std::to_string(x) + " " + std::to_string(y);
    const std::string away = std::to_string(x) + " " + std::to_string(mute.bottom + 30);
    struct Case {
        std::string script;
        int checked;
    };
    const Case cases[] = {
        {"down " + at + "\nexpect check 1005 0\nup " + at, 1},
        {"down " + at + "\nmove " + away + "\nup " + away, 0},
        {"down " + at + "\nmove " + away + "\nmove " + at + "\nup " + at, 1},
        {"tap " + at + "\ntap " + at, 0},
    };
    for (const Case& k : cases) {
        ProbeApp app;
        const Outcome out = Run(k.script + "\nexpect check 1005 " + std::to_string(k.checked));
        EXPECT_EQ(out.code, kExitPassed) << k.script << "\n" << out.log;
    }
}

TEST_F(RunnerTest, TabsAndRadiosOfTheDemoDialog) {
    ui::demo::CDemoApp app;
    const Outcome out = Run(R"(
expect text 1012 "Page: Buttons"
tab 2
expect text 1012 "Page: Values"
tab 1
expect text 1012 "Page: Text"
expect check 1002 1
click 1004
expect check 1004 1
expect check 1002 0
click 1015
expect text 1012 "Applied"
tab 3
)");
    EXPECT_EQ(out.code, kExitFailed);
    EXPECT_EQ(out.log, "t.script:13: tab 3: the tab control has 3 tabs\n");
}

TEST_F(RunnerTest, TheCloseBoxOfADialogThatTakesItEndsTheProgram) {
    ui::demo::CDemoApp app;
    const Outcome out = Run("close\nexpect nomsgbox");
    EXPECT_EQ(out.code, kExitFailed);
    EXPECT_EQ(out.log, "t.script:2: expect nomsgbox: the program ended before this line ran\n");
    EXPECT_EQ(app.result, ui::IDCANCEL);
}

// The PNG's size from its header.
std::string ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::pair<int, int> PngSize(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) {
        return {0, 0};
    }
    auto word = [&](std::size_t at) {
        int v = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
        }
        return v;
    };
    return {word(16), word(20)};
}

TEST_F(RunnerTest, ScreenshotsGoToTheFolderGivenOrWhereTheyAreNamed) {
    auto folder = host::unit::TempDir::Create("script-shots-");
    ASSERT_TRUE(folder.ok());
    const auto absolute = folder->path() / "absolute.png";
    ProbeApp app;
    RunnerOptions options;
    options.screenshotFolder = folder->path() / "shots";
    options.finalScreenshot = folder->path() / "final.png";
    std::filesystem::create_directory(options.screenshotFolder);
    const Outcome out = Run("screenshot probe.png\nscreenshot \"" + absolute.string() +
                                "\"\nclick 1003\nscreenshot \"with box.png\"",
                            options);
    EXPECT_EQ(out.code, kExitPassed) << out.log;
    for (const auto& file : {options.screenshotFolder / "probe.png", absolute,
                             options.screenshotFolder / "with box.png", options.finalScreenshot}) {
        EXPECT_EQ(PngSize(file), std::make_pair(320, 240)) << file;
    }

    ProbeApp again;
    const Outcome bad = Run("screenshot no/such/folder/x.png", options);
    EXPECT_EQ(bad.code, kExitFailed);
    EXPECT_EQ(bad.log.rfind("t.script:1: screenshot no/such/folder/x.png: ", 0), 0U) << bad.log;
}

// Keeps what the runner tells about each command.
struct Heard final : RunObserver {
    struct Record {
        int line = 0;
        std::string failure;
        std::uint64_t unitMs = 0;
        bool screen = false;
        std::vector<std::string> debugLines;
        std::vector<std::string> boxes;
        bool pictures = false;
    };
    std::vector<Record> records;
    void CommandEnded(const CommandRecord& r) override {
        Record kept{r.command->line,      r.failure,    r.unitMs,
                    r.screen != nullptr,  r.debugLines, {},
                    r.pictures != nullptr};
        for (const ui::MessageBoxInfo& box : r.messageBoxes) {
            kept.boxes.push_back(box.text);
        }
        records.push_back(std::move(kept));
    }
};

TEST_F(RunnerTest, TheObserverHearsOfEachCommandAsItEndsWithWhatCameOnTheWay) {
    ProbeApp app;
    Heard heard;
    RunnerOptions options;
    options.observer = &heard;
    const Outcome out =
        Run("click 1004\nwait 250\nclick 1003\nexpect caption \"Question\"\n"
            "answer OK\nexpect text 1002 \"answer 2\"\nwait 100\n",
            options);
    EXPECT_EQ(out.code, kExitFailed);
    ASSERT_EQ(heard.records.size(), 6U) << "nothing after the failure";
    const std::vector<std::string> logged = {"Log pressed::OnLog\r\n", "count=1\r\n"};
    EXPECT_EQ(heard.records[0].debugLines, logged);
    EXPECT_EQ(heard.records[1].unitMs, 250U);
    EXPECT_EQ(heard.records[2].boxes, std::vector<std::string>{"Proceed?\r\nSure"});
    EXPECT_TRUE(heard.records[3].boxes.empty()) << "a box is told once";
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(heard.records[i].line, static_cast<int>(i) + 1);
        EXPECT_EQ(heard.records[i].failure, "") << i;
        EXPECT_TRUE(heard.records[i].screen) << i;
        EXPECT_TRUE(i == 0 || heard.records[i].debugLines.empty()) << "told once: " << i;
    }
    EXPECT_EQ(heard.records[5].line, 6);
    EXPECT_EQ(heard.records[5].failure, "expected \"answer 2\", found \"answer 1\"");

    // A failed comparison carries its pictures.
    auto folder = host::unit::TempDir::Create("script-observer-");
    ASSERT_TRUE(folder.ok());
    const std::string reference = (folder->path() / "ref.png").string();
    ASSERT_TRUE(ui::WritePng(ui::Framebuffer(), reference));
    ProbeApp again;
    heard.records.clear();
    Run("wait 500\nexpect screen \"" + reference + "\"\n", options);
    ASSERT_EQ(heard.records.size(), 2U);
    EXPECT_FALSE(heard.records[0].pictures);
    EXPECT_TRUE(heard.records[1].pictures);
}

TEST_F(RunnerTest, WithinRetriesAnExpectationUntilItHoldsOrItsTimeIsUp) {
    // The battery read-out comes with the first tick, at 500 ms.
    ProbeApp app;
    Outcome out = Run("expect text 1008 \"3700\" within 2000\n");
    EXPECT_EQ(out.code, kExitPassed) << out.log;
    EXPECT_EQ(unit_.unit().Clock().NowMs(), 500U);

    ProbeApp again;
    out = Run("wait 100\nexpect text 1008 \"3700\" within 300\nwait 1000\n");
    EXPECT_EQ(out.code, kExitFailed);
    EXPECT_EQ(out.log,
              "t.script:2: expect text 1008 \"3700\" within 300: expected \"3700\", found \"\" "
              "(for 300 ms)\n");
    // From 500 (the first run), 100 + 300 ms: nothing ran after the failure.
    EXPECT_EQ(unit_.unit().Clock().NowMs(), 900U);
}

TEST_F(RunnerTest, FitNamesEveryTextCutShortOnScreen) {
    ProbeApp app;
    app.prepare = [](CProbeDlg& dlg) {
        dlg.onTick = [] { return std::string("a read-out far too long for its place"); };
    };
    const Outcome out =
        Run("expect fit\nclick 1003\nexpect fit\nanswer OK\nwait 500\nexpect fit\n");
    EXPECT_EQ(out.code, kExitFailed);
    EXPECT_EQ(out.log,
              "t.script:6: expect fit: expected every text on screen whole, found \"a read-out "
              "far too long for its place\" in control 1011 cut short\n");
}

TEST_F(RunnerTest, ScreensAreComparedWithReferencePicturesAndDifferencesKept) {
    auto folder = host::unit::TempDir::Create("script-screens-");
    ASSERT_TRUE(folder.ok());
    const std::string whole = (folder->path() / "whole.png").string();
    const std::string part = (folder->path() / "part.png").string();
    const std::string script =
        "wait 500\nexpect screen \"" + whole + "\"\nexpect screen \"" + part + "\" 10 20 40 30\n";
    RunnerOptions update;
    update.updateScreens = true;
    ProbeApp writes;
    const Outcome written = Run(script, update);
    ASSERT_EQ(written.code, kExitPassed);
    EXPECT_EQ(written.log, "t.script:2: wrote the reference " + whole +
                               "\nt.script:3: wrote the reference " + part + "\n");
    ui::Framebuffer picture;
    ASSERT_TRUE(ui::ReadPng(part, &picture));
    EXPECT_EQ(picture.Width(), 40);
    EXPECT_EQ(picture.Height(), 30);

    ProbeApp same;
    Outcome out = Run(script);
    EXPECT_EQ(out.code, kExitPassed) << out.log;

    // One pixel of the reference changed: found, counted and kept.
    const ui::Rgb was = picture.GetPixel(5, 7);
    picture.SetPixel(5, 7, was ^ 0x00FFFFFFU);
    ASSERT_TRUE(ui::WritePng(picture, part));
    RunnerOptions keep;
    keep.artifactsFolder = folder->path() / "evidence";
    ProbeApp differs;
    out = Run(script, keep);
    EXPECT_EQ(out.code, kExitFailed);
    EXPECT_NE(out.log.find("1 pixel differs from \"" + part + "\" in x 15..15, y 27..27"),
              std::string::npos)
        << out.log;
    for (const char* file : {"screen.png", "part.actual.png", "part.diff.png", "debug.txt"}) {
        EXPECT_TRUE(std::filesystem::exists(keep.artifactsFolder / file)) << file;
    }
    EXPECT_NE(out.log.find("; the actual and difference pictures are in " +
                           keep.artifactsFolder.string() + "\n"),
              std::string::npos)
        << out.log;
    ui::Framebuffer diff;
    ASSERT_TRUE(ui::ReadPng((keep.artifactsFolder / "part.diff.png").string(), &diff));
    EXPECT_EQ(diff.GetPixel(5, 7), ui::MakeRgb(0xFF, 0x00, 0xFF));
    EXPECT_NE(diff.GetPixel(6, 7), ui::MakeRgb(0xFF, 0x00, 0xFF));

    // References that cannot be used say what is wrong with the file, and a
    // failure names only the pictures it wrote. A FIFO or a folder is never
    // opened; a picture of another size than the area is never decoded.
    const std::string png = ReadBytes(whole);
    std::string huge = png;  // its header says 100000 x 100000
    for (const std::size_t at : {16U, 20U}) {
        huge.replace(at, 4, std::string("\x00\x01\x86\xA0", 4));
    }
    const auto bad = folder->path() / "bad.png";
    const std::string named = "the reference \"" + bad.string() + "\"";
    enum class Make { Missing, Bytes, Wide, Fifo, Folder };
    struct Case {
        Make make;
        std::string bytes;
        std::string why;
    };
    const Case cases[] = {
        {Make::Missing, "",
         "no reference picture " + bad.string() + " (--update-screens writes it from the screen)"},
        {Make::Bytes, "", named + " is empty"},
        {Make::Bytes, "GIF89a, not a PNG", named + " is not a PNG picture"},
        {Make::Bytes, png.substr(0, 20), named + " is cut short or damaged"},
        {Make::Bytes, png.substr(0, png.size() / 2), named + " is cut short or damaged"},
        {Make::Bytes, huge, named + " is 100000 x 100000, the area 320 x 240"},
        {Make::Wide, "", named + " is 4097 x 1, the area 320 x 240"},
        {Make::Fifo, "", named + " is a FIFO, not a picture"},
        {Make::Folder, "", named + " is a folder, not a picture"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.why);
        std::filesystem::remove_all(bad);
        switch (k.make) {
            case Make::Missing:
                break;
            case Make::Bytes:
                std::ofstream(bad, std::ios::binary) << k.bytes;
                break;
            case Make::Wide:
                ASSERT_TRUE(ui::WritePng(ui::Framebuffer(4097, 1), bad.string()));
                break;
            case Make::Fifo:
                ASSERT_EQ(::mkfifo(bad.c_str(), 0600), 0);
                break;
            case Make::Folder:
                std::filesystem::create_directory(bad);
                break;
        }
        std::filesystem::remove_all(keep.artifactsFolder);
        ProbeApp unusable;
        out = Run("expect screen \"" + bad.string() + "\"\n", keep);
        EXPECT_EQ(out.log, "t.script:1: expect screen \"" + bad.string() + "\": " + k.why +
                               "; the actual picture is in " + keep.artifactsFolder.string() +
                               "\n");
        EXPECT_TRUE(std::filesystem::exists(keep.artifactsFolder / "bad.actual.png"));
        EXPECT_FALSE(std::filesystem::exists(keep.artifactsFolder / "bad.diff.png"));
    }

    // Nor is a picture written into one (bad.png is the folder still).
    for (const bool updating : {false, true}) {
        RunnerOptions options;
        options.updateScreens = updating;
        ProbeApp writer;
        const std::string line =
            (updating ? "expect screen \"" : "screenshot \"") + bad.string() + "\"";
        out = Run(line + "\n", options);
        EXPECT_EQ(out.log, "t.script:1: " + line + ": " + bad.string() +
                               " is a folder, not a file to write a picture into\n");
    }
    std::filesystem::remove_all(bad);
    ASSERT_EQ(::mkfifo(bad.c_str(), 0600), 0);
    ProbeApp shot;
    out = Run("screenshot \"" + bad.string() + "\"\n");
    EXPECT_EQ(out.log, "t.script:1: screenshot \"" + bad.string() + "\": " + bad.string() +
                           " is a FIFO, not a file to write a picture into\n");

    // The pixel on its own: the screen still has the old colour.
    char colour[8];
    static_cast<void>(std::snprintf(colour, sizeof colour, "%06X", was));
    ProbeApp pixel;
    out = Run(std::string("wait 500\nexpect pixel 15 27 ") + colour +
              "\nexpect pixel 15 27 000001\n");
    EXPECT_EQ(out.log,
              std::string("t.script:3: expect pixel 15 27 000001: expected 000001, found ") +
                  colour + "\n");
}

TEST_F(RunnerTest, TheBackendsOwnReferenceComesFirstAndOnlyFailedOnesAreWritten) {
    auto folder = host::unit::TempDir::Create("script-backend-screens-");
    ASSERT_TRUE(folder.ok());
    const std::filesystem::path shared = folder->path() / "s.png";
    const std::filesystem::path own = folder->path() / "s.host.png";
    const std::string script = "wait 500\nexpect screen \"" + shared.string() + "\"\n";
    RunnerOptions host;
    host.backend = "host";
    RunnerOptions update = host;
    update.updateScreens = true;
    const auto run = [&](const RunnerOptions& options) {
        ProbeApp app;
        return Run(script, options);
    };
    Outcome out = run(host);
    EXPECT_EQ(out.log, "t.script:2: expect screen \"" + shared.string() +
                           "\": no reference picture " + shared.string() +
                           " nor s.host.png beside it (--update-screens writes the first from the "
                           "screen)\n");
    out = run(update);
    EXPECT_EQ(out.log, "t.script:2: wrote the reference " + shared.string() + "\n");
    const std::string good = ReadBytes(shared);
    // A comparison that holds writes nothing.
    out = run(update);
    EXPECT_EQ(out.code, kExitPassed);
    EXPECT_EQ(out.log, "");

    // The backend's own picture, one pixel off, is the one compared and the
    // one rewritten; the shared one stays as it was.
    ui::Framebuffer picture;
    ASSERT_TRUE(ui::ReadPng(shared.string(), &picture));
    picture.SetPixel(3, 4, picture.GetPixel(3, 4) ^ 0x000080U);
    ASSERT_TRUE(ui::WritePng(picture, own.string()));
    out = run(host);
    EXPECT_EQ(out.code, kExitFailed);
    EXPECT_NE(out.log.find("1 pixel differs from \"" + (folder->path() / "s.host.png").string() +
                           "\" in x 3..3, y 4..4"),
              std::string::npos)
        << out.log;
    EXPECT_EQ(run({}).code, kExitPassed) << "another backend takes the shared one";
    out = run(update);
    EXPECT_EQ(out.log, "t.script:2: wrote the reference " + own.string() + "\n");
    EXPECT_EQ(ReadBytes(shared), good);
    EXPECT_EQ(ReadBytes(own), good);
}

TEST(RealTimeRunnerTest, WaitsAreOnTheWallClockAndTimersFireWhenDue) {
    host::unit::TestUnit unit;
    unit.Toml("[power]\nbattery_mv = 3700\n").Options({.virtualTime = false});
    ASSERT_TRUE(unit.Load()) << unit.error();
    platform::ScopedServices services(unit.unit().Services());
    ParseResult parsed = ParseScript(
        "wait 600\nexpect text 1008 \"3700\"\nunit power.battery_mv 3650\n"
        "expect text 1008 \"3650\" within 2000\n",
        "t.script");
    host::ScriptTarget target(unit.unit());
    std::ostringstream log;
    ScriptRunner runner(std::move(*parsed), target, log);
    ProbeApp app;
    const auto started = std::chrono::steady_clock::now();
    ui::AfxWinMain(runner, &unit.unit().Clock());
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(runner.Finish(), kExitPassed) << log.str();
    // Two ticks of the 500 ms timer at least: the second shows the change.
    EXPECT_GE(took, std::chrono::milliseconds(1000));
}

}  // namespace
}  // namespace script::test
