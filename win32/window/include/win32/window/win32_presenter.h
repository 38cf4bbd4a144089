// The unit's screen in a native window on a Windows PC: the 320 x 240
// framebuffer drawn with StretchDIBits at a whole scale, the left mouse
// button as the pen, the keyboard as keys and typed text, the close box as
// switching the unit off. Its wait serves the window's messages, the
// framework's deadline and wake-ups from other threads in one
// MsgWaitForMultipleObjectsEx; while Windows runs a loop of its own (the
// user drags the window or opens its system menu), a timer keeps the
// framework's timers and other threads' work going.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/result.h"
#include "platform/services.h"
#include "ui/graphics.h"
#include "ui/presenter.h"

namespace win32::window {

class Win32Presenter final : public ui::Presenter {
  public:
    struct Options {
        // 1 to 8 pixels of a 100 % desktop; a scaled desktop multiplies it
        // in whole pixels (2 at 150 % is 3), also after a move to a
        // monitor of another scale.
        int scale = 2;
        std::string title = "Kestrin";
        bool hidden = false;  // tests keep the window off the desktop
    };

    // Opens the window, or says why it cannot be made (no window station
    // under a bare wine, for one). Deadlines of
    // WaitEvent are read on clock, which must outlive the presenter. Create,
    // Present, WaitEvent and ReadBack belong to the thread that creates the
    // window (the UI thread); Wake to any.
    static platform::Result<std::unique_ptr<Win32Presenter>> Create(const Options& options,
                                                                    platform::Clock& clock);
    ~Win32Presenter() override;
    Win32Presenter(const Win32Presenter&) = delete;
    Win32Presenter& operator=(const Win32Presenter&) = delete;

    void Present(const ui::Framebuffer& screen) override;
    ui::InputEvent WaitEvent(std::optional<std::uint64_t> deadlineMs) override;
    void Wake() override;

    // What the window shows, read back from its client area at screen
    // resolution (tests), or why it cannot be.
    platform::Result<void> ReadBack(ui::Framebuffer* out);
    // The window's handle (an HWND), for messages made up by tests.
    [[nodiscard]] void* NativeHandle() const;
    // Window pixels per screen pixel now.
    [[nodiscard]] int Scale() const { return scale_; }
    // Where the mouse is over the screen, in screen pixels, pen down or not;
    // nothing once it has left the window.
    [[nodiscard]] std::optional<ui::Point> Pointer() const { return pointer_; }

    struct Native;
    // Only Create makes the native parts.
    Win32Presenter(std::unique_ptr<Native> native, platform::Clock& clock, int scale);
    // Scales to the desktop's dots per inch where the window is and sizes
    // it to fit; at (x, y) when given.
    void FitToDpi(unsigned dpi, const int* x = nullptr, const int* y = nullptr);
    // Windows' own move or menu loop begins or ends: the framework is fed
    // from a timer meanwhile.
    void ModalLoop(bool running);
    // Runs the framework's pending work once (the timer of a modal loop).
    void FeedFramework();

    // The window procedure's way in (window messages to input events).
    void Push(ui::InputEvent event);
    // The pen at a window position; a move or an up without a down before
    // it is dropped.
    void Pen(ui::InputEvent::Kind kind, int windowX, int windowY);
    // The mouse at a window position (every WM_MOUSEMOVE), and off the
    // window (WM_MOUSELEAVE).
    void Hover(int windowX, int windowY);
    void Left();
    // The mouse was taken away (another window captured it): a stroke in
    // progress ends where it was last seen.
    void PenLost();
    // One UTF-16 unit of WM_CHAR; the text it completes, if any.
    std::optional<std::string> TypedUnit(char16_t unit);
    void Paint(void* dc);

  private:
    std::unique_ptr<Native> native_;
    platform::Clock& clock_;
    int askedScale_;
    int scale_;
    bool feeding_ = false;
    std::deque<ui::InputEvent> input_;  // UI thread only
    bool penDown_ = false;
    ui::Point lastPen_;
    std::optional<ui::Point> pointer_;
    bool trackingLeave_ = false;
    // The frame the window shows (empty before the first); an unchanged
    // frame is not drawn again.
    std::vector<std::uint32_t> shown_;
    int shownWidth_ = 0;
    int shownHeight_ = 0;
};

}  // namespace win32::window
