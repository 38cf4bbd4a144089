// The screen and the UI thread's state: every window, the message queues,
// timers, painting and input. The program's entry (AfxWinMain) makes one;
// tests and the script runner make their own. The thread that constructs it
// is the UI thread, and everything here except Inject and Quit is for that
// thread.
//
// Besides running the framework, this is the introspection surface for the
// script runner and the tests: the windows on screen, the controls by id,
// the message box on top, the framebuffer, and the input path.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/graphics.h"
#include "ui/presenter.h"
#include "ui/types.h"

namespace platform {
class Clock;
}

namespace ui {

class CWnd;

namespace detail {
class DesktopImpl;
}

// What a window looks like from outside.
struct WindowInfo {
    HWND hwnd = nullptr;
    int id = 0;
    std::string className;  // "Dialog", "Static", "Button", "Edit", "Tab", "UpDown", "Trackbar"
    std::string text;       // caption or control text
    bool visible = false;   // the window and all its ancestors
    bool enabled = false;
    Rect screenRect;
    int check = -1;  // buttons: BST_*; other classes -1
    DWORD style = 0;
    // Texts its last painting could not show whole (cut at its edge, or
    // lines below its bottom).
    std::vector<std::string> clippedTexts;
};

struct MessageBoxInfo {
    HWND hwnd = nullptr;
    std::string text;
    std::string caption;
    UINT type = 0;
};

class Desktop {
  public:
    // clock null: the platform's installed clock, or a steady clock.
    explicit Desktop(Presenter& presenter, platform::Clock* clock = nullptr);
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;
    // Destroys the windows still open, fails pending sends, frees ended
    // thread objects.
    ~Desktop();

    // The desktop of the calling thread, or null off the UI thread.
    static Desktop* Current();

    // --- windows -------------------------------------------------------
    // Top-level windows, topmost first.
    [[nodiscard]] std::vector<HWND> TopLevelWindows() const;
    // The window that takes input: the topmost running modal dialog.
    [[nodiscard]] HWND ActiveWindow() const;
    // A control by id: in the active window, then in its owners in turn.
    [[nodiscard]] HWND FindControl(int id) const;
    // A window's children in z-order, topmost first.
    [[nodiscard]] std::vector<HWND> Children(HWND hwnd) const;
    [[nodiscard]] std::optional<WindowInfo> Describe(HWND hwnd) const;
    // The window a pen-down at p (screen pixels) reaches when nothing has
    // the capture: the innermost control of the active window there that
    // takes input (group boxes and disabled controls let it through), the
    // window itself on its caption or frame, null outside it.
    [[nodiscard]] HWND WindowAt(Point p) const;
    [[nodiscard]] CWnd* WndOf(HWND hwnd) const;

    // --- message boxes -------------------------------------------------
    // The message box that is the active window, if one is.
    [[nodiscard]] std::optional<MessageBoxInfo> TopMessageBox() const;
    // Ends the top message box with IDOK or IDCANCEL (a box without Cancel
    // takes only IDOK). False when there is none or the answer is not
    // offered.
    bool AnswerMessageBox(int answer);
    // Called before a message box is shown; a value answers it at once and
    // no box appears.
    using MessageBoxHook = std::function<std::optional<int>(const MessageBoxInfo&)>;
    void SetMessageBoxHook(MessageBoxHook hook);

    // --- timers --------------------------------------------------------
    // Decides whether SetTimer fails (returns 0) for a window and id.
    using TimerFailureHook = std::function<bool(HWND hwnd, UINT_PTR id)>;
    void SetTimerFailureHook(TimerFailureHook hook);
    [[nodiscard]] std::optional<std::uint64_t> NextTimerDue() const;
    [[nodiscard]] std::uint64_t NowMs() const;

    // The caption's close box and OK box of a top-level window, in screen
    // coordinates, when it has them.
    [[nodiscard]] std::optional<Rect> CloseBoxRect(HWND hwnd) const;
    [[nodiscard]] std::optional<Rect> OkBoxRect(HWND hwnd) const;

    // --- screen --------------------------------------------------------
    // The framebuffer with everything pending painted.
    const Framebuffer& Screen();
    // Marks the whole screen for repainting.
    void InvalidateAll();
    // How many paint passes and presents have run (paint coalescing).
    [[nodiscard]] std::uint64_t PaintPasses() const;

    // --- queues and input ----------------------------------------------
    // No sent, posted or injected input waiting.
    [[nodiscard]] bool QueuesEmpty() const;
    // Runs what is waiting and due (sent, posted, input, timers, paint)
    // without blocking.
    void PumpPending();
    // Queues an input event exactly as the presenter delivers one. Any
    // thread.
    void Inject(const InputEvent& event);
    void PenDown(int x, int y) { Inject({InputEvent::Kind::PenDown, x, y, Key::None, {}}); }
    void PenMove(int x, int y) { Inject({InputEvent::Kind::PenMove, x, y, Key::None, {}}); }
    void PenUp(int x, int y) { Inject({InputEvent::Kind::PenUp, x, y, Key::None, {}}); }
    void Tap(int x, int y) {
        PenDown(x, y);
        PenUp(x, y);
    }
    void KeyDown(Key key) { Inject({InputEvent::Kind::KeyDown, 0, 0, key, {}}); }
    void TypeText(std::string text) {
        Inject({InputEvent::Kind::Text, 0, 0, Key::None, std::move(text)});
    }
    // Ends every modal loop (as the unit being switched off). Any thread.
    void Quit();
    [[nodiscard]] bool Quitting() const;
    // The innermost loop is a window waiting for a worker thread to end
    // (WaitForThread): only that thread can move things on.
    [[nodiscard]] bool WaitingForThread() const;

    [[nodiscard]] detail::DesktopImpl& Impl() { return *impl_; }

  private:
    [[nodiscard]] std::optional<Rect> CaptionBoxRect(HWND hwnd, int which) const;
    std::unique_ptr<detail::DesktopImpl> impl_;
};

}  // namespace ui
