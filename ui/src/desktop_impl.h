// The UI thread's side of the desktop: windows, z-order, modal runs, timers,
// painting and input routing. One instance per Desktop; reached through
// DesktopImpl::Current() on the UI thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "hub.h"
#include "ui/desktop.h"
#include "ui/graphics.h"
#include "ui/presenter.h"
#include "ui/types.h"
#include "window.h"

namespace platform {
class Clock;
}

namespace ui {
class CDialog;
}

namespace ui::detail {

// A drawing context the framework fills in itself.
class FrameworkDc : public CDC {
  public:
    FrameworkDc() = default;
};

class DesktopImpl {
  public:
    DesktopImpl(Desktop& facade, Presenter& presenter, platform::Clock* clock);
    DesktopImpl(const DesktopImpl&) = delete;
    DesktopImpl& operator=(const DesktopImpl&) = delete;
    ~DesktopImpl();

    // The desktop of the calling thread (null off the UI thread).
    static DesktopImpl* Current();

    Desktop& facade;
    Presenter& presenter;
    std::shared_ptr<Hub> hub;

    [[nodiscard]] std::uint64_t Now() const;

    // --- windows (desktop_windows.cpp) ---------------------------------
    [[nodiscard]] WindowRecord* Find(HWND hwnd) const;
    // Children go to the bottom of their siblings (template order: the first
    // created stays on top); top-level windows go to the top.
    WindowRecord* Create(WindowRecord* parent, HWND owner, std::unique_ptr<WindowClass> cls, int id,
                         DWORD style, DWORD exStyle, std::string text, const Rect& rect);
    void Destroy(WindowRecord* w);
    void Attach(WindowRecord* w, CWnd* wnd);
    void Detach(CWnd* wnd);
    LRESULT Dispatch(WindowRecord* w, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefProc(WindowRecord* w, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // WM_COMMAND / WM_NOTIFY from a control to its parent.
    void NotifyCommand(WindowRecord& control, UINT code);
    LRESULT NotifyParent(WindowRecord& control, NMHDR* header);

    [[nodiscard]] WindowRecord* TopLevelOf(const WindowRecord* w) const;
    [[nodiscard]] Rect ScreenRect(const WindowRecord* w) const;
    [[nodiscard]] Point ClientOrigin(const WindowRecord* w) const;  // screen
    [[nodiscard]] Rect ClientRect(const WindowRecord* w) const;     // 0,0,width,height
    // The screen area a window's client may draw in: its client area clipped
    // by every ancestor's client area and the screen. Empty when hidden.
    [[nodiscard]] Rect ClientClip(const WindowRecord* w) const;
    [[nodiscard]] bool EffectivelyVisible(const WindowRecord* w) const;
    [[nodiscard]] bool EffectivelyEnabled(const WindowRecord* w) const;
    void Move(WindowRecord* w, const Rect& rect);
    void PlaceInZOrder(WindowRecord* w, HWND insertAfter);
    bool Show(WindowRecord* w, bool show);
    bool Enable(WindowRecord* w, bool enable);
    [[nodiscard]] std::vector<HWND> TopLevels() const { return topLevels_; }
    [[nodiscard]] WindowRecord* ChildById(const WindowRecord* parent, int id) const;

    // --- modal runs (desktop_modal.cpp) --------------------------------
    int RunModal(CDialog& dialog);
    void EndModal(CDialog& dialog, int result);
    [[nodiscard]] HWND ActiveWindow() const;
    // The window of top that a pen-down at screen reaches; *nonClient when
    // that is top's caption or frame.
    WindowRecord* HitTest(WindowRecord* top, Point screen, bool* nonClient);
    // The window a pen event goes to: the one holding the capture, else the
    // one under the pen in the active window (nonClient: in its frame); null
    // when the pen is outside that window.
    WindowRecord* PenTarget(Point screen, bool* nonClient);
    // A pen message at a screen point, in the target's client coordinates.
    void DispatchPen(WindowRecord* target, UINT message, WPARAM keys, Point screen);
    [[nodiscard]] const std::vector<HWND>& ModalStack() const { return modalStack_; }

    // --- the loop (desktop_loop.cpp) -----------------------------------
    // Serves sent, posted, input, timers and painting until done() holds;
    // waits for the presenter in between.
    enum class LoopKind { Modal, ThreadWait };
    void RunLoop(const std::function<bool()>& done, LoopKind kind = LoopKind::Modal);
    // The innermost running loop waits for a worker thread to end.
    [[nodiscard]] bool WaitingForThread() const {
        return !loops_.empty() && loops_.back() == LoopKind::ThreadWait;
    }
    void PumpPending();
    [[nodiscard]] bool QueuesEmpty() const;
    bool quitting = false;

    // --- timers (desktop_timers.cpp) -----------------------------------
    UINT_PTR SetTimer(WindowRecord* w, UINT_PTR id, UINT elapse);
    bool KillTimer(HWND hwnd, UINT_PTR id);
    void KillTimers(HWND hwnd);
    [[nodiscard]] std::optional<std::uint64_t> NextDue() const;
    Desktop::TimerFailureHook timerFailureHook;

    // --- painting (desktop_paint.cpp) ----------------------------------
    void Damage(const Rect& screenRect);
    void DamageWindow(const WindowRecord* w);
    void PaintPass();
    void PaintAndPresent();
    void InitPaintDc(CDC& dc, HWND hwnd);
    void InitClientDc(CDC& dc, WindowRecord* w, bool client);
    // Drawing outside painting (a client DC) changed the screen.
    void ClientDrawn(HWND hwnd, const Rect& drawn);
    // A text drawn in the window did not fit where it was drawn.
    void TextClipped(HWND hwnd, std::string_view text, bool nonClient);
    Framebuffer& Screen() { return screen_; }
    std::uint64_t paintPasses = 0;

    // --- input (desktop_input.cpp) -------------------------------------
    void HandleInput(const InputEvent& event);
    void SetFocus(WindowRecord* w);
    [[nodiscard]] HWND Focus() const { return focus_; }
    void SetCapture(WindowRecord* w);
    void ReleaseCapture();
    [[nodiscard]] HWND Capture() const { return capture_; }
    // Starts tracking a caption button press (dialog class).
    void TrackCaptionButton(HWND hwnd, int button) {
        captionTrack_ = hwnd;
        captionButton_ = button;
    }

    Desktop::MessageBoxHook messageBoxHook;

    // --- default push buttons (desktop_default_button.cpp) -------------
    // The template's last DEFPUSHBUTTON is the dialog's default; earlier
    // ones lose the look.
    void InitDefaultButton(WindowRecord* dialog, const std::vector<WindowRecord*>& controls);
    // DM_GETDEFID: the id Enter clicks when the focus is not on a push
    // button; 0 when the dialog has none.
    [[nodiscard]] int DefaultButtonId(const WindowRecord* dialog) const;
    // DM_SETDEFID; false when the control is no push button.
    bool SetDefaultButton(WindowRecord* dialog, int id);

  private:
    friend class ::ui::CDC;

    // loop
    bool ServeSent();
    bool DispatchPostedBatch(const std::function<bool()>& done);
    bool ProcessInjectedInput(const std::function<bool()>& done);
    bool FireDueTimers();
    void ReleaseZombies();
    // input
    void PenDown(Point screen);
    void PenMove(Point screen);
    void PenUp(Point screen);
    void KeyDown(Key key);
    void KeyUp(Key key);
    void Text(const std::string& text);
    WindowRecord* KeyTarget();
    void NextTabStop(WindowRecord* dialog, bool backwards);
    // default push buttons
    void PressEnter(WindowRecord* dialog);
    void MoveDefaultLook(WindowRecord* focus);
    void ShowDefaultLookOn(WindowRecord* dialog, WindowRecord* button);
    // painting
    void PaintTree(HWND hwnd, const Rect& clip);
    void PaintOne(WindowRecord* w, const Rect& clip);
    void ForgetClippedTexts(WindowRecord* w, bool nonClient);

    platform::Clock* clock_;
    std::uint64_t steadyStartMs_ = 0;

    std::unordered_map<HWND, std::unique_ptr<WindowRecord>> windows_;
    std::vector<std::unique_ptr<WindowRecord>> zombies_;
    std::vector<HWND> topLevels_;  // topmost first
    std::vector<HWND> modalStack_;
    std::vector<LoopKind> loops_;
    std::uintptr_t nextHandle_ = 0x10000;

    struct Timer {
        HWND hwnd;
        UINT_PTR id;
        UINT period;
        std::uint64_t due;
        std::uint64_t seq;
    };
    std::vector<Timer> timers_;
    std::uint64_t timerSeq_ = 0;

    Framebuffer screen_;
    Rect damage_;
    bool presentNeeded_ = true;
    struct PaintContext {
        HWND hwnd;
        Point origin;
        Rect clip;
    };
    std::vector<PaintContext> paintStack_;

    HWND capture_ = nullptr;
    HWND focus_ = nullptr;
    bool penIsDown_ = false;
    HWND captionTrack_ = nullptr;
    int captionButton_ = 0;
    struct LastDown {
        HWND hwnd = nullptr;
        Point screen;
        std::uint64_t time = 0;
        bool valid = false;
    } lastDown_;
};

// Union of two rectangles (an empty one adds nothing).
Rect UnionRect(const Rect& a, const Rect& b);

// Frees this desktop's thread objects that were waited for and whose window
// has left the modal stack, which is only at or below modalDepth now
// (thread.cpp). Called by a modal loop between its messages, so the code
// that ran that window has returned.
void ReleaseWaitedThreads(const DesktopImpl& desktop, std::size_t modalDepth);

}  // namespace ui::detail
