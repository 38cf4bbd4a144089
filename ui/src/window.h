// The framework's record of a window (behind its HWND): its place in the
// tree, its state, the class that gives its default behaviour, and the CWnd
// that receives its messages. Only the UI thread touches these.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/dc.h"
#include "ui/graphics.h"
#include "ui/styles.h"
#include "ui/types.h"
#include "ui/wnd.h"

namespace ui::detail {

class DesktopImpl;
class WindowClass;

struct WindowRecord {
    HWND hwnd = nullptr;
    WindowRecord* parent = nullptr;       // child windows
    HWND owner = nullptr;                 // top-level windows
    std::vector<WindowRecord*> children;  // z-order, topmost first
    int id = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    std::string text;
    Rect rect;  // parent client coordinates; screen for a top-level window
    std::unique_ptr<WindowClass> cls;
    CWnd* target = nullptr;         // receives the messages
    std::unique_ptr<CWnd> builtin;  // the framework's wrapper of a control
    int creationIndex = 0;          // order among its siblings at creation
    HICON iconBig = 0;
    HICON iconSmall = 0;
    HWND savedFocus = nullptr;    // a top-level window's focus while a modal runs
    int defaultId = 0;            // a dialog's default push button (DM_SETDEFID)
    HWND arrowKeySpin = nullptr;  // an up-down that takes this window's arrow keys
    int busy = 0;                 // handlers running for it
    int painting = 0;             // inside its WM_PAINT
    // Texts of its last painting that did not fit where they were drawn;
    // each painting (frame or client) clears its own.
    struct ClippedText {
        std::string text;
        bool nonClient = false;
    };
    std::vector<ClippedText> clippedTexts;
    bool dead = false;

    [[nodiscard]] bool Visible() const { return (style & WS_VISIBLE) != 0; }
    [[nodiscard]] bool Enabled() const { return (style & WS_DISABLED) == 0; }
};

// Dialog codes: what a control wants from the keyboard.
inline constexpr UINT DLGC_WANTARROWS = 0x0001;
inline constexpr UINT DLGC_WANTALLKEYS = 0x0004;
inline constexpr UINT DLGC_DEFPUSHBUTTON = 0x0010;
inline constexpr UINT DLGC_UNDEFPUSHBUTTON = 0x0020;
inline constexpr UINT DLGC_RADIOBUTTON = 0x0040;
inline constexpr UINT DLGC_WANTCHARS = 0x0080;
inline constexpr UINT DLGC_STATIC = 0x0100;
inline constexpr UINT DLGC_BUTTON = 0x2000;

// The behaviour of a class of windows: the default message handling
// (DefWindowProc), the frame and the default painting. One instance per
// window, so it also holds the control's state.
class WindowClass {
  public:
    WindowClass() = default;
    WindowClass(const WindowClass&) = delete;
    WindowClass& operator=(const WindowClass&) = delete;
    virtual ~WindowClass() = default;

    [[nodiscard]] virtual const char* Name() const = 0;
    // DefWindowProc. The base handles text, enabling, focus and paint.
    virtual LRESULT Proc(DesktopImpl& d, WindowRecord& w, UINT message, WPARAM wParam,
                         LPARAM lParam);
    // The client area in window coordinates.
    [[nodiscard]] virtual Rect ClientArea(const WindowRecord& w) const;
    // Frame, caption, scroll bar: dc in window coordinates.
    virtual void PaintNonClient(DesktopImpl& d, WindowRecord& w, CDC& dc);
    // The client background before WM_PAINT: the dialog face colour.
    virtual void EraseBackground(DesktopImpl& d, WindowRecord& w, CDC& dc);
    // The default WM_PAINT.
    virtual void Paint(DesktopImpl& d, WindowRecord& w, CDC& dc);
    // Taps pass through to what lies beneath (group boxes, plain statics).
    [[nodiscard]] virtual bool TransparentToInput(const WindowRecord& w) const;
    [[nodiscard]] virtual UINT DlgCode(const WindowRecord& w) const;
    // Runs once the whole dialog has been created; previous is the control
    // created just before this one.
    virtual void AfterCreate(DesktopImpl& d, WindowRecord& w, WindowRecord* previous);
    // A pen-down on the non-client area, window coordinates; true when used.
    virtual bool NonClientPenDown(DesktopImpl& d, WindowRecord& w, Point p);
};

std::unique_ptr<WindowClass> MakeDialogClass();
std::unique_ptr<WindowClass> MakeStaticClass();
std::unique_ptr<WindowClass> MakeButtonClass();
std::unique_ptr<WindowClass> MakeEditClass();
std::unique_ptr<WindowClass> MakeTabClass();
std::unique_ptr<WindowClass> MakeUpDownClass();
std::unique_ptr<WindowClass> MakeTrackbarClass();

}  // namespace ui::detail
