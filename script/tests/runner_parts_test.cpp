// The runner's parts on their own, on a target the test sets up and a
// desktop with no window: the exact events input commands leave, where
// `expect debug` looks, what the observer is told and what a failure keeps.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "command_reports.h"
#include "evidence.h"
#include "executor.h"
#include "expectations.h"
#include "fake_target.h"
#include "host/unit/temp_dir.h"
#include "screen_compare.h"
#include "script/script.h"
#include "ui/desktop.h"
#include "ui/headless_presenter.h"

namespace script::test {
namespace {

Action ActionOf(const std::string& line) {
    ParseResult parsed = ParseScript(line, "t.script");
    const auto* s = (parsed ? &*parsed : nullptr);
    if (s == nullptr || s->commands.size() != 1) {
        ADD_FAILURE() << line;
        return Quit{};
    }
    return s->commands.front().action;
}

std::string Shown(const ui::InputEvent& e) {
    using K = ui::InputEvent::Kind;
    switch (e.kind) {
        case K::PenDown:
            return "down " + std::to_string(e.x) + "," + std::to_string(e.y);
        case K::PenMove:
            return "move " + std::to_string(e.x) + "," + std::to_string(e.y);
        case K::PenUp:
            return "up " + std::to_string(e.x) + "," + std::to_string(e.y);
        case K::KeyDown:
            return "keydown " + std::to_string(static_cast<int>(e.key));
        case K::KeyUp:
            return "keyup " + std::to_string(static_cast<int>(e.key));
        default:
            return "other";
    }
}

class PartsTest : public ::testing::Test {
  protected:
    FakeTarget target_;
    ui::HeadlessPresenter presenter_;
    ui::Desktop desktop_{presenter_};
};

TEST_F(PartsTest, InputCommandsLeaveEventsOrSetTheUnit) {
    const auto enter = std::to_string(static_cast<int>(ui::Key::Enter));
    const auto left = std::to_string(static_cast<int>(ui::Key::Left));
    struct Case {
        std::string line;
        std::vector<std::string> events;
        std::vector<std::pair<std::string, std::string>> sets;
        std::string failure;
    };
    const Case cases[] = {
        {"tap 3 4", {"down 3,4", "up 3,4"}, {}, ""},
        {"down 5 6", {"down 5,6"}, {}, ""},
        {"move 7 8", {"move 7,8"}, {}, ""},
        {"up 9 10", {"up 9,10"}, {}, ""},
        {"key Enter", {"keydown " + enter, "keyup " + enter}, {}, ""},
        {"key Left down", {"keydown " + left}, {}, ""},
        {"key Left up", {"keyup " + left}, {}, ""},
        {"unit power.battery_mv 3650", {}, {{"power.battery_mv", "3650"}}, ""},
        // Nothing to act on.
        {"close", {}, {}, "no window is open"},
        {"quit", {}, {}, "no window is open"},
        // The runner's own, never carried out here.
        {"wait 5", {}, {}, "not a command"},
        {"expect fit", {}, {}, "not a command"},
    };
    for (const Case& c : cases) {
        target_.sets.clear();
        detail::Executor executor(target_, {});
        const platform::Result<void> done = executor.Run(ActionOf(c.line), desktop_);
        EXPECT_EQ(done ? "" : done.error(), c.failure) << c.line;
        std::vector<std::string> events;
        for (const ui::InputEvent& e : executor.Pending()) {
            events.push_back(Shown(e));
        }
        EXPECT_EQ(events, c.events) << c.line;
        EXPECT_EQ(target_.sets, c.sets) << c.line;
    }
}

TEST_F(PartsTest, ExpectDebugLooksOnlyPastTheLineItLastFound) {
    std::ostringstream log;
    detail::Expectations expectations(target_, log, {"t.script", {}, false, {}});
    struct Look {
        std::vector<std::string> lines;  // the unit's record at this step
        const char* expected;
        const char* failure;  // empty: it holds
    };
    const Look looks[] = {
        {{"a", "b", "c"}, "b", ""},
        {{"a", "b", "c"}, "a", "expected the debug line \"a\", found \"c\""},
        {{"a", "b", "c"}, "c", ""},
        {{"a", "b", "c"}, "c", "expected the debug line \"c\", found no new debug line"},
        {{"a", "b", "c", "1", "2", "3", "4", "5", "6"},
         "7",
         "expected the debug line \"7\", found ..., \"2\", \"3\", \"4\", \"5\", \"6\""},
        // A cleared record is looked at from its start.
        {{"a"}, "a", ""},
    };
    for (const Look& s : looks) {
        target_.debugLines = s.lines;
        const platform::Result<void> held = expectations.Check(ExpectDebug{s.expected}, desktop_);
        EXPECT_EQ(held ? "" : held.error(), s.failure) << s.expected;
    }
    EXPECT_EQ(log.str(), "");
}

TEST_F(PartsTest, MasksAndToleranceHoldUpToTheirEdgesAndBadOnesAreParseErrors) {
    auto dir = host::unit::TempDir::Create("screen-edges-");
    ASSERT_TRUE(dir.ok());
    const ui::Framebuffer& screen = desktop_.Screen();
    // The area is x 10..19, y 20..29 (100 pixels); each change moves the
    // reference's pixel at x, y on the screen by by in red, or in every
    // channel.
    struct Change {
        int x;
        int y;
        int by;
        bool everyChannel = false;
    };
    struct Case {
        std::string words;  // after "expect screen ref.png 10 20 10 10"
        std::vector<Change> changes;
        std::string failure;  // empty: it holds
    };
    const std::string usage =
        "t.script:2: expected: expect screen FILE.png [X Y W H] [mask X Y W H]... "
        "[tolerance D [N|P%]]";
    const std::string in = " from \"ref.png\" in x ";
    const Case cases[] = {
        {"", {}, ""},
        {"", {{10, 20, 1}}, "1 pixel differs" + in + "10..10, y 20..20"},
        // The distance is the largest channel difference.
        {"tolerance 8", {{13, 24, 8, true}}, ""},
        {"tolerance 8", {{13, 24, 9}}, "1 pixel differs by more than 8" + in + "13..13, y 24..24"},
        {"tolerance 0 3", {{10, 20, 1}, {11, 20, 1}, {19, 29, 1}}, ""},
        {"tolerance 0 3",
         {{10, 20, 1}, {11, 20, 1}, {19, 29, 1}, {12, 25, 1}},
         "4 pixels differ" + in + "10..19, y 20..29 (at most 3 may)"},
        {"tolerance 4 2%", {{10, 20, 9}, {11, 21, 5}}, ""},
        {"tolerance 4 2%",
         {{10, 20, 9}, {11, 21, 5}, {12, 22, 5}},
         "3 pixels differ by more than 4" + in +
             "10..12, y 20..22 (at most 2% of the 100 compared may)"},
        // A share of the pixels left when the masks are out: 1.25 of 50.
        {"mask 10 20 10 5 tolerance 0 2.5%", {{10, 20, 99}, {11, 21, 99}, {12, 25, 1}}, ""},
        {"mask 10 20 10 5 tolerance 0 2.5%",
         {{12, 25, 1}, {19, 29, 1}},
         "2 pixels differ" + in + "12..19, y 25..29 (at most 2.5% of the 50 compared may)"},
        {"mask 13 24 1 1", {{13, 24, 50}}, ""},
        {"mask 14 24 1 1 mask 13 25 1 1",
         {{13, 24, 50}},
         "1 pixel differs" + in + "13..13, y 24..24"},
        // A mask partly outside the area covers what it meets.
        {"mask 18 28 100 100", {{19, 29, 50}, {18, 28, 50}}, ""},
        {"mask 18 28 100 100", {{17, 29, 50}}, "1 pixel differs" + in + "17..17, y 29..29"},
        // Bad masks and tolerances stop the script before it runs.
        {"mask 1 2 3", {}, usage},
        {"mask 10 20 0 1", {}, "t.script:2: the mask's W must be 1 to 310, not 0"},
        {"mask 0 0 5 5", {}, "t.script:2: the mask 0 0 5 5 lies outside the compared area"},
        {"mask 10 20 5 10 mask 15 20 5 10",
         {},
         "t.script:2: the masks cover the whole area: nothing is left to compare"},
        {"tolerance", {}, usage},
        {"tolerance 1 2 3", {}, usage},
        {"tolerance 1 mask 10 20 1 1", {}, usage},
        {"tolerance 256", {}, "t.script:2: the colour distance must be 0 to 255, not 256"},
        {"tolerance 8 101",
         {},
         "t.script:2: the count of differing pixels must be 0 to 100, not 101"},
        {"tolerance 8 100.01%",
         {},
         "t.script:2: the share of differing pixels must be 0% to 100%, with at most two "
         "decimals, not \"100.01%\""},
        {"tolerance 8 1.234%",
         {},
         "t.script:2: the share of differing pixels must be 0% to 100%, with at most two "
         "decimals, not \"1.234%\""},
    };
    const ui::Rect area{10, 20, 20, 30};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.words);
        ParseResult parsed =
            ParseScript("wait 5\nexpect screen ref.png 10 20 10 10 " + c.words + "\n", "t.script");
        if (!parsed) {
            EXPECT_EQ(Describe("t.script", parsed.error()), c.failure);
            continue;
        }
        ui::Framebuffer reference = detail::Crop(screen, area);
        for (const Change& k : c.changes) {
            const ui::Rgb was = screen.GetPixel(k.x, k.y);
            const auto moved = [&](std::uint8_t v) {
                return static_cast<std::uint8_t>(v + k.by <= 255 ? v + k.by : v - k.by);
            };
            reference.SetPixel(
                k.x - area.left, k.y - area.top,
                ui::MakeRgb(moved(ui::RedOf(was)),
                            k.everyChannel ? moved(ui::GreenOf(was)) : ui::GreenOf(was),
                            k.everyChannel ? moved(ui::BlueOf(was)) : ui::BlueOf(was)));
        }
        ASSERT_TRUE(ui::WritePng(reference, (dir->path() / "ref.png").string()));
        std::ostringstream log;
        detail::Expectations expectations(target_, log, {"t.script", dir->path(), false, {}});
        const platform::Result<void> held =
            expectations.Check(ExpectationOf(parsed->commands[1])->check, desktop_);
        EXPECT_EQ(held ? "" : held.error(), c.failure);
    }
}

class Listener final : public RunObserver {
  public:
    void CommandStarted(const Command& c) override { started.push_back(c.line); }
    void CommandEnded(const CommandRecord& r) override {
        ended.push_back({r.command->line, r.failure, r.unitMs, r.debugLines, r.pictures});
    }
    struct Ended {
        int line;
        std::string failure;
        std::uint64_t unitMs;
        std::vector<std::string> debugLines;
        const ScreenPictures* pictures;
    };
    std::vector<int> started;
    std::vector<Ended> ended;
};

TEST_F(PartsTest, TheObserverHearsEachCommandOnceWithWhatCameSince) {
    Listener heard;
    detail::CommandReports reports(&heard, target_);
    const Command one{1, "tap 1 1", Tap{1, 1}};
    const Command two{2, "expect fit", Expectation{ExpectFit{}, {}}};
    const ScreenPictures pictures;
    reports.End(nullptr);  // nothing in progress: nothing told
    reports.Start(one, true);
    target_.debugLines = {"x", "y"};
    target_.now = 40;
    reports.End(nullptr, {}, &pictures);  // no failure: no pictures
    EXPECT_EQ(reports.Current(), nullptr);
    reports.Start(two, false);  // fails before it started
    target_.debugLines = {"x", "y", "z"};
    reports.End(nullptr, "why", &pictures);
    reports.Start(one, true);
    target_.debugLines = {"w"};  // cleared, then written
    reports.End(nullptr);

    EXPECT_EQ(heard.started, (std::vector<int>{1, 1}));
    ASSERT_EQ(heard.ended.size(), 3U);
    EXPECT_EQ(heard.ended[0].unitMs, 40U);
    EXPECT_EQ(heard.ended[0].debugLines, (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(heard.ended[0].pictures, nullptr);
    EXPECT_EQ(heard.ended[1].line, 2);
    EXPECT_EQ(heard.ended[1].failure, "why");
    EXPECT_EQ(heard.ended[1].debugLines, (std::vector<std::string>{"z"}));
    EXPECT_EQ(heard.ended[1].pictures, &pictures);
    EXPECT_EQ(heard.ended[2].debugLines, (std::vector<std::string>{"w"}));
}

TEST_F(PartsTest, AFailureKeepsTheScreenTheDebugLinesAndTheComparedPictures) {
    auto dir = host::unit::TempDir::Create("evidence-test-");
    ASSERT_TRUE(dir.ok());
    target_.debugLines = {"one\r\n", "two\r\n"};
    ExpectScreen screen;
    screen.file = "shots/ver.png";
    screen.area = {0, 0, 10, 10};
    ScreenPictures both{
        ui::Framebuffer(10, 10), ui::Framebuffer(10, 10), ui::Framebuffer(10, 10), screen.area, {}};
    ScreenPictures actualOnly{ui::Framebuffer(10, 10), std::nullopt, std::nullopt, screen.area, {}};
    struct Case {
        const char* what;
        bool desktop;
        const ScreenPictures* pictures;
        std::vector<const char*> files;
        std::string kept;
    };
    const std::string folder = dir->path().string();
    const Case cases[] = {
        {"the program has ended", false, nullptr, {"debug.txt"}, ""},
        {"any failure", true, nullptr, {"debug.txt", "screen.png", "windows.json"}, ""},
        {"a screen that differs",
         true,
         &both,
         {"debug.txt", "screen.png", "ver.actual.png", "ver.diff.png", "windows.json"},
         "; the actual and difference pictures are in " + folder},
        {"a reference that cannot be read",
         true,
         &actualOnly,
         {"debug.txt", "screen.png", "ver.actual.png", "windows.json"},
         "; the actual picture is in " + folder},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(dir->path());
        detail::Evidence evidence(dir->path(), "t.script", target_);
        std::string problems;
        const std::string kept = evidence.Keep(
            c.desktop ? &desktop_ : nullptr, c.pictures ? &screen : nullptr, c.pictures, &problems);
        EXPECT_EQ(kept, c.kept) << c.what;
        EXPECT_EQ(problems, "") << c.what;
        std::vector<std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(dir->path())) {
            files.push_back(entry.path().filename().string());
        }
        std::sort(files.begin(), files.end());
        EXPECT_EQ(files, std::vector<std::string>(c.files.begin(), c.files.end())) << c.what;
    }
    std::ifstream debug(dir->path() / "debug.txt", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(debug), {}), "one\r\ntwo\r\n");
    // No folder: nothing kept.
    detail::Evidence nowhere({}, "t.script", target_);
    std::string problems;
    EXPECT_EQ(nowhere.Keep(&desktop_, nullptr, nullptr, &problems), "");
    EXPECT_EQ(problems, "");
}

}  // namespace
}  // namespace script::test
