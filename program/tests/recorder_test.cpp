// What the recorder writes for each kind of input on the framework's demo
// dialog: buttons by id, tab headers by index, edits and sliders by point,
// typed text gathered per field, holds and strokes as down/move/up, keys,
// and the time between them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "platform/services.h"
#include "recorder.h"
#include "test_support/demo_points.h"
#include "ui/app.h"
#include "ui/demo_dialog.h"
#include "ui/desktop.h"
#include "ui/headless_presenter.h"
#include "ui/manual_clock.h"
#include "ui/messages.h"
#include "ui/wnd.h"

namespace program::test {
namespace {

using test_support::CentreOf;
using test_support::TabHeader;

using Kind = ui::InputEvent::Kind;

ui::InputEvent Pen(Kind kind, ui::Point p) {
    return {kind, p.x, p.y, ui::Key::None, {}};
}

TEST(RecorderTest, EachKindOfInputBecomesTheCommandThatReplaysIt) {
    ui::ManualClock clock;
    ui::HeadlessPresenter window(&clock);
    Recorder recorder(window, clock, "demo.ks", {});
    ui::Point duty;
    ui::Point slider;
    // Taps where a user would make them, the clock moving between some.
    window.Add([] { return Pen(Kind::PenDown, CentreOf(ui::demo::IDC_GREEN)); });
    window.Add([] { return Pen(Kind::PenUp, CentreOf(ui::demo::IDC_GREEN)); });
    window.AddWait(120);
    window.Add([] { return Pen(Kind::PenDown, TabHeader(2)); });
    window.Add([] { return Pen(Kind::PenUp, TabHeader(2)); });
    window.Add([&] { return Pen(Kind::PenDown, duty = CentreOf(ui::demo::IDC_DUTY)); });
    window.Add([&] { return Pen(Kind::PenUp, duty); });
    window.AddEvent({Kind::Text, 0, 0, ui::Key::None, "7"});
    window.AddWait(30);
    window.AddEvent({Kind::Text, 0, 0, ui::Key::None, "\"5"});
    window.AddEvent({Kind::KeyDown, 0, 0, ui::Key::Enter, {}});
    window.AddEvent({Kind::KeyUp, 0, 0, ui::Key::Enter, {}});
    window.Add([&] { return Pen(Kind::PenDown, slider = CentreOf(ui::demo::IDC_VOLUME)); });
    window.AddWait(400);
    window.Add([&] { return Pen(Kind::PenUp, slider); });
    window.AddEvent(Pen(Kind::PenDown, {10, 200}));
    window.AddEvent(Pen(Kind::PenMove, {11, 201}));
    window.AddEvent(Pen(Kind::PenMove, {30, 200}));
    window.AddEvent(Pen(Kind::PenUp, {30, 200}));
    window.AddEvent({Kind::KeyDown, 0, 0, ui::Key::F2, {}});
    window.AddEvent({Kind::KeyUp, 0, 0, ui::Key::F2, {}});
    ui::demo::CDemoApp app;
    ui::AfxWinMain(recorder, &clock);

    auto at = [](const char* verb, ui::Point p) {
        return std::string(verb) + ' ' + std::to_string(p.x) + ' ' + std::to_string(p.y);
    };
    const std::vector<std::string> expected = {
        "click 1003",
        "wait 120",
        "tab 2",
        at("tap", duty),
        "type 1010 \"7\\\"5\"",
        "wait 30",
        "key Enter",
        at("down", slider),
        "wait 400",
        at("up", slider),
        "down 10 200",
        "move 30 200",
        "up 30 200",
        "key GUIDE down",
        "key GUIDE up",
        "key Esc",  // the headless window's own end: it cancels the dialog
    };
    EXPECT_EQ(recorder.Lines(), expected);
}

// Where F1 and F2 are not the unit's keys (a PC), a recording leaves them
// out, and its replay line names the backend's way to the same unit.
TEST(RecorderTest, TheBackendsMannerDecidesTheUnitKeysAndTheReplayLine) {
    ui::ManualClock clock;
    ui::HeadlessPresenter window(&clock);
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() /
        ("kestrin-recorder-" + std::to_string(std::random_device()()) + ".ks");
    Recorder recorder(window, clock, file,
                      {.pointer = nullptr,
                       .unitKeys = false,
                       .replayWith = "--root <the same folder>",
                       .continues = {},
                       .continuesFrom = {}});
    window.AddEvent({Kind::KeyDown, 0, 0, ui::Key::F1, {}});
    window.AddEvent({Kind::KeyUp, 0, 0, ui::Key::F1, {}});
    window.Add([] { return Pen(Kind::PenDown, CentreOf(ui::demo::IDC_GREEN)); });
    window.Add([] { return Pen(Kind::PenUp, CentreOf(ui::demo::IDC_GREEN)); });
    ui::demo::CDemoApp app;
    ui::AfxWinMain(recorder, &clock);
    const platform::Result<void> saved = recorder.Save();
    ASSERT_TRUE(saved) << saved.error();
    std::ifstream in(file, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    in.close();
    std::filesystem::remove(file);
    EXPECT_EQ(
        text,
        "# Recorded in the kestrin window (kestrin --record). Replay with\n#   kestrin --script " +
            file.filename().string() + " --root <the same folder>\nclick 1003\nkey Esc\n");
}

}  // namespace
}  // namespace program::test
