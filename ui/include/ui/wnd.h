// CWnd: the C++ side of a window. A CWnd is attached to a window of the
// framework (its HWND) and receives that window's messages through the
// virtual WindowProc; the handlers below stand in for MFC's message map.
//
// Threads: every window belongs to the UI thread. The methods may be called
// from any thread; from another thread they are carried out on the UI thread
// as a sent message (the caller blocks until it has run), as Win32 does.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/messages.h"
#include "ui/styles.h"
#include "ui/types.h"

namespace ui {

namespace detail {
class DesktopImpl;
struct WindowRecord;
}  // namespace detail

class CWnd {
  public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd();

    // z-order markers for SetWindowPos.
    static const CWnd wndTop;
    static const CWnd wndBottom;

    // The window this object is attached to, or null.
    HWND m_hWnd = nullptr;
    [[nodiscard]] HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }  // NOLINT(google-explicit-constructor)

    // The object attached to a window (a framework-owned wrapper of the
    // control's class when the program attached none), or null.
    static CWnd* FromHandle(HWND hwnd);

    // Attaches this object to an existing child window so that it receives
    // its messages (DDX_Control does this). False if already attached or the
    // window does not exist.
    BOOL SubclassDlgItem(int id, CWnd* parent);
    BOOL SubclassWindow(HWND hwnd);
    HWND UnsubclassWindow();

    // Hierarchy.
    [[nodiscard]] CWnd* GetDlgItem(int id) const;
    [[nodiscard]] int GetDlgCtrlID() const;
    // The parent of a child window, the owner of a top-level one.
    [[nodiscard]] CWnd* GetParent() const;
    [[nodiscard]] DWORD GetStyle() const;

    // Text (UTF-8).
    void SetWindowText(std::string_view text);
    [[nodiscard]] std::string GetWindowText() const;
    [[nodiscard]] int GetWindowTextLength() const;
    void SetDlgItemText(int id, std::string_view text);
    [[nodiscard]] std::string GetDlgItemText(int id) const;

    // Place and state. MoveWindow takes parent client coordinates (screen
    // coordinates for a top-level window).
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    void MoveWindow(const Rect& rect, BOOL repaint = TRUE);
    // insertAfter: &wndTop, &wndBottom, a sibling (placed below it) or null
    // with SWP_NOZORDER.
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
    // Returns whether the window was visible before.
    BOOL ShowWindow(int cmd);
    // Visible itself and all its ancestors.
    [[nodiscard]] BOOL IsWindowVisible() const;
    // Returns whether the window was disabled before.
    BOOL EnableWindow(BOOL enable = TRUE);
    [[nodiscard]] BOOL IsWindowEnabled() const;
    void GetWindowRect(Rect* rect) const;  // screen coordinates
    void GetClientRect(Rect* rect) const;  // 0, 0, client width, client height
    void ScreenToClient(Point* point) const;
    void ScreenToClient(Rect* rect) const;
    void ClientToScreen(Point* point) const;
    void ClientToScreen(Rect* rect) const;

    // Painting: Invalidate marks the window for repainting (requests are
    // coalesced); UpdateWindow paints what is pending now.
    void Invalidate(BOOL erase = TRUE);
    void InvalidateRect(const Rect* rect, BOOL erase = TRUE);
    void UpdateWindow();

    // Timers: WM_TIMER with the id every elapse ms (at least 10) until
    // killed or the window is destroyed. Setting a running id restarts it.
    // Returns the id, or 0 when the timer cannot be set.
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse, void* unused = nullptr);
    BOOL KillTimer(UINT_PTR id);

    // Messages to this window.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    // Pen capture: moves and the pen-up go to this window wherever the pen is.
    CWnd* SetCapture();
    static BOOL ReleaseCapture();
    static CWnd* GetCapture();

    // Keyboard focus.
    CWnd* SetFocus();
    static CWnd* GetFocus();

    // Icons are kept, not drawn. Returns the previous icon.
    HICON SetIcon(HICON icon, BOOL bigIcon);
    [[nodiscard]] HICON GetIcon(BOOL bigIcon) const;

    // Buttons of a dialog by id.
    void CheckDlgButton(int id, UINT check);
    [[nodiscard]] UINT IsDlgButtonChecked(int id) const;

    // A message box owned by this window; caption defaults to the
    // application's name.
    int MessageBox(std::string_view text, std::string_view caption = {}, UINT type = MB_OK);

    BOOL DestroyWindow();

    // Handlers bound to commands, notifications and messages. Bind them in
    // the constructor; a later binding for the same key replaces the earlier.
    void BindCommand(int id, UINT code, std::function<void()> handler);
    void BindClicked(int id, std::function<void()> handler) {
        BindCommand(id, BN_CLICKED, std::move(handler));
    }
    void BindCommandRange(int firstId, int lastId, UINT code, std::function<void(int id)> handler);
    void BindNotify(int id, UINT code, std::function<void(NMHDR*, LRESULT*)> handler);
    void BindMessage(UINT message, std::function<LRESULT(WPARAM, LPARAM)> handler);

    template <class T>
    void BindCommand(int id, UINT code, void (T::*handler)()) {
        T* self = static_cast<T*>(this);
        BindCommand(id, code, [self, handler] { (self->*handler)(); });
    }
    template <class T>
    void BindClicked(int id, void (T::*handler)()) {
        BindCommand(id, BN_CLICKED, handler);
    }
    template <class T>
    void BindNotify(int id, UINT code, void (T::*handler)(NMHDR*, LRESULT*)) {
        T* self = static_cast<T*>(this);
        BindNotify(id, code, [self, handler](NMHDR* h, LRESULT* r) { (self->*handler)(h, r); });
    }
    template <class T>
    void BindMessage(UINT message, LRESULT (T::*handler)(WPARAM, LPARAM)) {
        T* self = static_cast<T*>(this);
        BindMessage(message,
                    [self, handler](WPARAM w, LPARAM l) { return (self->*handler)(w, l); });
    }

    // Every message of the window goes through here. The default hands it to
    // the handlers (OnWndMsg) and else to DefWindowProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

  protected:
    // The class's default handling of a message: control behaviour, the
    // dialog's close-as-cancel, default painting.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // DefWindowProc with the message being handled.
    LRESULT Default();
    // Calls the handler for a message; false when none applies.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // WM_COMMAND and WM_NOTIFY: the bound handlers. True when handled.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);

    // Message handlers. The defaults call Default().
    virtual void OnPaint();
    virtual void OnTimer(UINT_PTR id);
    virtual void OnClose();
    virtual void OnDestroy();
    virtual void OnLButtonDown(UINT flags, Point point);
    virtual void OnLButtonUp(UINT flags, Point point);
    virtual void OnLButtonDblClk(UINT flags, Point point);
    virtual void OnMouseMove(UINT flags, Point point);
    virtual void OnVScroll(UINT code, UINT pos, CWnd* bar);
    virtual void OnHScroll(UINT code, UINT pos, CWnd* bar);
    virtual void OnKeyDown(UINT key, UINT repeat, UINT flags);
    virtual void OnChar(UINT ch, UINT repeat, UINT flags);

  private:
    friend class detail::DesktopImpl;
    struct Marker {};
    CWnd(Marker, HWND marker) : m_hWnd(marker) {}

    struct CurrentMessage {
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
    };
    CurrentMessage current_;

    std::map<std::pair<int, UINT>, std::function<void()>> commands_;
    struct CommandRange {
        int first;
        int last;
        UINT code;
        std::function<void(int)> handler;
    };
    std::vector<CommandRange> commandRanges_;
    std::map<std::pair<int, UINT>, std::function<void(NMHDR*, LRESULT*)>> notifies_;
    std::map<UINT, std::function<LRESULT(WPARAM, LPARAM)>> messages_;
};

// Free functions with the Win32 names; usable from any thread.
//
// PostMessage queues the message for the window's (UI) thread; FALSE when
// the window does not exist. SendMessage runs the window's handler: at once
// on the UI thread, and from another thread it blocks until the UI thread
// has handled it (0 at once when the window does not exist or goes away).
BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// UI thread only: takes a posted message out of the queue (hwnd null: any
// window; first and last 0: any message). Sent messages are not served here.
BOOL PeekMessage(MSG* msg, HWND hwnd, UINT first, UINT last, UINT remove);
// Ends every modal loop (the unit is switched off).
void PostQuitMessage(int exitCode);
BOOL IsWindow(HWND hwnd);
HWND GetCapture();
BOOL ReleaseCapture();
HWND GetFocus();

}  // namespace ui
