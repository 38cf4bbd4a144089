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
    detail::Expectations expectations(target_, log, {"t.script", {}, false});
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
        const platform::Result<void> held =
            expectations.Check(ExpectDebug{s.expected}, 1, desktop_);
        EXPECT_EQ(held ? "" : held.error(), s.failure) << s.expected;
    }
    EXPECT_EQ(log.str(), "");
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
    const ExpectScreen screen{"shots/ver.png", {0, 0, 10, 10}};
    ScreenPictures both{ui::Framebuffer(10, 10), ui::Framebuffer(10, 10), ui::Framebuffer(10, 10)};
    ScreenPictures actualOnly{ui::Framebuffer(10, 10), std::nullopt, std::nullopt};
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
