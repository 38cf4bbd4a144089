// The native window under a display (wine under Xvfb in CI; without a
// display the window cannot be made and the test skips): what it shows, and
// window messages as the framework's input.
#include "win32/window/win32_presenter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <windows.h>

namespace win32::window {
namespace {

using Kind = ui::InputEvent::Kind;

class SteadyClock final : public platform::Clock {
  public:
    std::uint64_t NowMs() override {
        return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                              std::chrono::steady_clock::now().time_since_epoch())
                                              .count());
    }
};

LPARAM At(int x, int y) {
    return static_cast<LPARAM>(static_cast<std::uint16_t>(x) |
                               (static_cast<std::uint32_t>(static_cast<std::uint16_t>(y)) << 16));
}

class Win32PresenterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto created = Win32Presenter::Create({.scale = 2, .title = "Kestrin test"}, clock_);
        if (!created) {
            GTEST_SKIP() << "no window (run under xvfb-run): " << created.error();
        }
        presenter_ = std::move(*created);
        hwnd_ = static_cast<HWND>(presenter_->NativeHandle());
    }

    void Post(UINT message, WPARAM wParam, LPARAM lParam) {
        ASSERT_NE(PostMessageW(hwnd_, message, wParam, lParam), 0);
    }

    // The next input event, skipping the window's own wake-ups.
    ui::InputEvent Next() {
        for (int i = 0; i < 100; ++i) {
            ui::InputEvent e = presenter_->WaitEvent(clock_.NowMs() + 1000);
            if (e.kind != Kind::Wake) {
                return e;
            }
        }
        return {};
    }

    SteadyClock clock_;
    std::unique_ptr<Win32Presenter> presenter_;
    HWND hwnd_ = nullptr;
};

TEST_F(Win32PresenterTest, ShowsTheFrameScaledUpPixelForPixel) {
    ui::Framebuffer frame;
    for (int y = 0; y < frame.Height(); ++y) {
        for (int x = 0; x < frame.Width(); ++x) {
            frame.SetPixel(x, y,
                           ui::MakeRgb(static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                                       static_cast<std::uint8_t>((x * y) & 0xFF)));
        }
    }
    presenter_->Present(frame);
    RECT client{};
    GetClientRect(hwnd_, &client);
    EXPECT_EQ(client.right - client.left, 640);
    EXPECT_EQ(client.bottom - client.top, 480);
    ui::Framebuffer shown(1, 1);
    const platform::Result<void> read = presenter_->ReadBack(&shown);
    ASSERT_TRUE(read.ok()) << read.error();
    ASSERT_EQ(shown.Width(), 320);
    ASSERT_EQ(shown.Height(), 240);
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) {
            ASSERT_EQ(shown.GetPixel(x, y), frame.GetPixel(x, y)) << x << "," << y;
        }
    }
}

TEST_F(Win32PresenterTest, MouseKeysAndTextArriveAsTheUnitsInput) {
    Post(WM_MOUSEMOVE, MK_LBUTTON, At(50, 50));  // no stroke yet: nothing
    Post(WM_LBUTTONDOWN, MK_LBUTTON, At(21, 41));
    Post(WM_MOUSEMOVE, MK_LBUTTON, At(-3, 7));
    Post(WM_LBUTTONUP, 0, At(600, 479));
    Post(WM_KEYDOWN, VK_F1, 1);
    Post(WM_KEYDOWN, VK_F1, 1 | (LPARAM{1} << 30));  // held: the unit's keys do not repeat
    Post(WM_KEYDOWN, VK_LEFT, 1 | (LPARAM{1} << 30));
    Post(WM_KEYUP, VK_F1, 1);
    Post(WM_CHAR, 0x0D, 1);  // Enter came as a key
    Post(WM_CHAR, 0xE9, 1);
    Post(WM_KEYDOWN, 'A', 1);  // a letter is text, not a key
    // Alt+F4 is Windows' own: it closes the window.
    Post(WM_SYSKEYDOWN, VK_F4, 1 | (LPARAM{1} << 29));

    struct Want {
        Kind kind;
        int x = 0;
        int y = 0;
        ui::Key key = ui::Key::None;
        std::string text;
    };
    const Want wants[] = {
        {Kind::PenDown, 10, 20, ui::Key::None, ""},    {Kind::PenMove, -2, 3, ui::Key::None, ""},
        {Kind::PenUp, 300, 239, ui::Key::None, ""},    {Kind::KeyDown, 0, 0, ui::Key::F1, ""},
        {Kind::KeyDown, 0, 0, ui::Key::Left, ""},      {Kind::KeyUp, 0, 0, ui::Key::F1, ""},
        {Kind::Text, 0, 0, ui::Key::None, "\xC3\xA9"}, {Kind::Text, 0, 0, ui::Key::None, "a"},
        {Kind::Quit, 0, 0, ui::Key::None, ""},  // closing the window: switching off
    };
    for (const Want& want : wants) {
        const ui::InputEvent e = Next();
        EXPECT_EQ(e.kind, want.kind);
        EXPECT_EQ(e.x, want.x);
        EXPECT_EQ(e.y, want.y);
        EXPECT_EQ(e.key, want.key);
        EXPECT_EQ(e.text, want.text);
    }
    EXPECT_NE(IsWindow(hwnd_), 0);  // the window stays until the presenter goes
}

TEST_F(Win32PresenterTest, WaitEndsAtTheDeadlineOrWhenAnotherThreadWakesIt) {
    const std::uint64_t start = clock_.NowMs();
    EXPECT_EQ(presenter_->WaitEvent(start + 50).kind, Kind::Wake);
    EXPECT_GE(clock_.NowMs(), start + 50);

    std::thread waker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        presenter_->Wake();
    });
    EXPECT_EQ(presenter_->WaitEvent(std::nullopt).kind, Kind::Wake);
    waker.join();

    // Wakes do not pile up: one pending wake-up ends one wait.
    presenter_->Wake();
    presenter_->Wake();
    EXPECT_EQ(presenter_->WaitEvent(std::nullopt).kind, Kind::Wake);
    const std::uint64_t before = clock_.NowMs();
    EXPECT_EQ(presenter_->WaitEvent(before + 30).kind, Kind::Wake);
    EXPECT_GE(clock_.NowMs(), before + 30);
}

}  // namespace
}  // namespace win32::window
