// kestrin.exe --record in its native window (needs a display: CI runs it
// under wine and Xvfb; without one it skips): the window's own messages, as
// a user's mouse and keyboard make them, are written as a script, and that
// script replays headless on the PC.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "program/run.h"
#include "script/utf8_path.h"
#include "test_support/demo_points.h"
#include "win32/seam.h"
#include "win32/window/win32_presenter.h"

// After the framework's headers: windows.h defines macros that would
// rewrite their declarations.
#include <windows.h>

namespace win32 {
namespace {

std::vector<std::string> LinesOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.starts_with("wait ")) {  // the wall clock's gaps vary
            lines.push_back(line);
        }
    }
    return lines;
}

class RecordTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("kestrin-record-" + std::to_string(std::random_device()()));
        std::filesystem::create_directories(folder_);
        options_.root = script::Utf8FromPath(folder_);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }

    std::filesystem::path folder_;
    pc::Options options_;
};

TEST_F(RecordTest, TheWindowsOwnMessagesBecomeAScriptThatReplays) {
    Seam seam(options_);
    program::Options options;
    options.demo = true;
    options.record = folder_ / "visit.ks";
    program::Hooks hooks;
    hooks.hiddenWindow = true;
    bool posted = false;
    ui::Point duty;
    hooks.afterPresent = [&](std::uint64_t /*frame*/) {
        if (posted) {
            return;
        }
        posted = true;
        window::Win32Presenter* window = seam.window();
        const HWND hwnd = static_cast<HWND>(window->NativeHandle());
        const int scale = window->Scale();
        auto at = [scale](ui::Point p) {
            const int x = p.x * scale + scale / 2;
            const int y = p.y * scale + scale / 2;
            return static_cast<LPARAM>(static_cast<std::uint16_t>(x) |
                                       (static_cast<std::uint32_t>(y) << 16));
        };
        auto tap = [&](ui::Point p) {
            PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at(p));
            PostMessageW(hwnd, WM_LBUTTONUP, 0, at(p));
        };
        auto key = [&](WPARAM vk) {
            PostMessageW(hwnd, WM_KEYDOWN, vk, 1);
            PostMessageW(hwnd, WM_KEYUP, vk, 1);
        };
        duty = test_support::CentreOf(ui::demo::IDC_DUTY);
        tap(test_support::CentreOf(ui::demo::IDC_GREEN));
        tap(test_support::TabHeader(2));
        tap(duty);
        PostMessageW(hwnd, WM_CHAR, '7', 1);
        key(VK_LEFT);
        PostMessageW(hwnd, WM_MOUSEMOVE, 0, at(duty));
        key(VK_F5);  // the text of the control under the mouse
        key(VK_F1);  // a PC has no POWER key: nothing to replay
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
    };
    std::ostringstream out;
    std::ostringstream err;
    const int status = program::Run(options, seam, out, err, hooks);
    if (!posted) {
        GTEST_SKIP() << "no window (run under xvfb-run): " << out.str() << err.str();
    }
    ASSERT_EQ(status, 0) << err.str();
    const std::vector<std::string> expected = {
        "# Recorded in the kestrin window (kestrin --record). Replay with",
        "#   kestrin --script visit.ks --root <the same folder>",
        "click 1003",
        "tab 2",
        "tap " + std::to_string(duty.x) + " " + std::to_string(duty.y),
        "type 1010 \"7\"",
        "key Left",
        "expect text 1010 \"57\"",  // typed before the duty's 5
    };
    EXPECT_EQ(LinesOf(*options.record), expected);

    // The recording replays headless on the PC, its F5 line checked.
    Seam replaySeam(options_);
    program::Options replay;
    replay.demo = true;
    replay.scripts = {*options.record};
    std::ostringstream replayOut;
    std::ostringstream replayErr;
    EXPECT_EQ(program::Run(replay, replaySeam, replayOut, replayErr), 0) << replayErr.str();
    EXPECT_EQ(replayOut.str(), "1 passed, 0 failed\n");
}

}  // namespace
}  // namespace win32
