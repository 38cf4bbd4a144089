#include "ui/wnd.h"

#include <utility>

#include "desktop_impl.h"
#include "platform/last_error.h"
#include "ui/app.h"
#include "ui/message_box.h"

namespace ui {

using detail::DesktopImpl;
using detail::WindowRecord;

namespace {

// Runs f(desktop, window) on the UI thread: directly there, as a sent call
// from any other thread. fallback when the window does not exist.
template <class R, class F>
R OnWindow(HWND hwnd, R fallback, F&& f) {
    if (DesktopImpl* d = DesktopImpl::Current()) {
        WindowRecord* w = d->Find(hwnd);
        return w != nullptr ? f(*d, *w) : fallback;
    }
    auto hub = detail::CurrentHub();
    if (hub == nullptr || hwnd == nullptr) {
        return fallback;
    }
    R result = fallback;
    hub->Invoke(hwnd, [&] {
        DesktopImpl* d = DesktopImpl::Current();
        if (WindowRecord* w = d != nullptr ? d->Find(hwnd) : nullptr) {
            result = f(*d, *w);
        }
    });
    return result;
}

template <class F>
void OnWindowVoid(HWND hwnd, F&& f) {
    OnWindow(hwnd, 0, [&](DesktopImpl& d, WindowRecord& w) {
        f(d, w);
        return 0;
    });
}

}  // namespace

const CWnd CWnd::wndTop(CWnd::Marker{}, HWND_TOP);
const CWnd CWnd::wndBottom(CWnd::Marker{}, HWND_BOTTOM);

CWnd::~CWnd() {
    if (m_hWnd == nullptr || this == &wndTop || this == &wndBottom) {
        return;
    }
    if (DesktopImpl* d = DesktopImpl::Current()) {
        WindowRecord* w = d->Find(m_hWnd);
        if (w != nullptr && w->target == this) {
            if (w->parent == nullptr && w->builtin == nullptr) {
                d->Destroy(w);
            } else {
                d->Detach(this);
            }
        }
    }
    m_hWnd = nullptr;
}

CWnd* CWnd::FromHandle(HWND hwnd) {
    return OnWindow<CWnd*>(hwnd, nullptr, [](DesktopImpl&, WindowRecord& w) { return w.target; });
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
    if (m_hWnd != nullptr) {
        return FALSE;
    }
    return OnWindow(hwnd, FALSE, [this](DesktopImpl& d, WindowRecord& w) {
        if (w.target != nullptr && w.target != w.builtin.get()) {
            return FALSE;
        }
        d.Attach(&w, this);
        return TRUE;
    });
}

BOOL CWnd::SubclassDlgItem(int id, CWnd* parent) {
    if (parent == nullptr) {
        return FALSE;
    }
    const HWND child =
        OnWindow<HWND>(parent->m_hWnd, nullptr, [id](DesktopImpl& d, WindowRecord& w) {
            WindowRecord* c = d.ChildById(&w, id);
            return c != nullptr ? c->hwnd : nullptr;
        });
    return child != nullptr ? SubclassWindow(child) : FALSE;
}

HWND CWnd::UnsubclassWindow() {
    const HWND hwnd = m_hWnd;
    OnWindowVoid(hwnd, [this](DesktopImpl& d, WindowRecord&) { d.Detach(this); });
    m_hWnd = nullptr;
    return hwnd;
}

CWnd* CWnd::GetDlgItem(int id) const {
    return OnWindow<CWnd*>(m_hWnd, nullptr, [id](DesktopImpl& d, WindowRecord& w) -> CWnd* {
        WindowRecord* c = d.ChildById(&w, id);
        return c != nullptr ? c->target : nullptr;
    });
}

int CWnd::GetDlgCtrlID() const {
    return OnWindow(m_hWnd, 0, [](DesktopImpl&, WindowRecord& w) { return w.id; });
}

CWnd* CWnd::GetParent() const {
    return OnWindow<CWnd*>(m_hWnd, nullptr, [](DesktopImpl& d, WindowRecord& w) -> CWnd* {
        WindowRecord* p = w.parent != nullptr ? w.parent : d.Find(w.owner);
        return p != nullptr ? p->target : nullptr;
    });
}

DWORD CWnd::GetStyle() const {
    return OnWindow<DWORD>(m_hWnd, 0, [](DesktopImpl&, WindowRecord& w) { return w.style; });
}

void CWnd::SetWindowText(std::string_view text) {
    const std::string copy(text);
    ui::SendMessage(m_hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str()));
}

std::string CWnd::GetWindowText() const {
    return OnWindow<std::string>(m_hWnd, {}, [](DesktopImpl& d, WindowRecord& w) {
        const auto length = d.Dispatch(&w, WM_GETTEXTLENGTH, 0, 0);
        if (length <= 0) {
            return std::string();
        }
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        const auto copied =
            d.Send(w.hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
        text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
        return text;
    });
}

int CWnd::GetWindowTextLength() const {
    return static_cast<int>(ui::SendMessage(m_hWnd, WM_GETTEXTLENGTH, 0, 0));
}

void CWnd::SetDlgItemText(int id, std::string_view text) {
    if (CWnd* item = GetDlgItem(id)) {
        item->SetWindowText(text);
    }
}

std::string CWnd::GetDlgItemText(int id) const {
    CWnd* item = GetDlgItem(id);
    return item != nullptr ? item->GetWindowText() : std::string();
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL /*repaint*/) {
    OnWindowVoid(m_hWnd, [&](DesktopImpl& d, WindowRecord& w) {
        d.Move(&w, {x, y, x + width, y + height});
    });
}

void CWnd::MoveWindow(const Rect& rect, BOOL repaint) {
    MoveWindow(rect.left, rect.top, rect.Width(), rect.Height(), repaint);
}

BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) {
    return OnWindow(m_hWnd, FALSE, [&](DesktopImpl& d, WindowRecord& w) {
        Rect r = w.rect;
        if ((flags & SWP_NOMOVE) == 0) {
            r = {x, y, x + r.Width(), y + r.Height()};
        }
        if ((flags & SWP_NOSIZE) == 0) {
            r.right = r.left + cx;
            r.bottom = r.top + cy;
        }
        d.Move(&w, r);
        if ((flags & SWP_NOZORDER) == 0 && insertAfter != nullptr) {
            d.PlaceInZOrder(&w, insertAfter->m_hWnd);
        }
        if ((flags & SWP_SHOWWINDOW) != 0) {
            d.Show(&w, true);
        } else if ((flags & SWP_HIDEWINDOW) != 0) {
            d.Show(&w, false);
        }
        return TRUE;
    });
}

BOOL CWnd::ShowWindow(int cmd) {
    return OnWindow(m_hWnd, FALSE, [cmd](DesktopImpl& d, WindowRecord& w) {
        return d.Show(&w, cmd != SW_HIDE) ? TRUE : FALSE;
    });
}

BOOL CWnd::IsWindowVisible() const {
    return OnWindow(m_hWnd, FALSE, [](DesktopImpl& d, WindowRecord& w) {
        return d.EffectivelyVisible(&w) ? TRUE : FALSE;
    });
}

BOOL CWnd::EnableWindow(BOOL enable) {
    return OnWindow(m_hWnd, FALSE, [enable](DesktopImpl& d, WindowRecord& w) {
        return d.Enable(&w, enable != FALSE) ? TRUE : FALSE;
    });
}

BOOL CWnd::IsWindowEnabled() const {
    return OnWindow(m_hWnd, FALSE,
                    [](DesktopImpl&, WindowRecord& w) { return w.Enabled() ? TRUE : FALSE; });
}

void CWnd::GetWindowRect(Rect* rect) const {
    if (rect == nullptr) {
        return;
    }
    *rect = OnWindow<Rect>(m_hWnd, {},
                           [](DesktopImpl& d, WindowRecord& w) { return d.ScreenRect(&w); });
}

void CWnd::GetClientRect(Rect* rect) const {
    if (rect == nullptr) {
        return;
    }
    *rect = OnWindow<Rect>(m_hWnd, {},
                           [](DesktopImpl& d, WindowRecord& w) { return d.ClientRect(&w); });
}

void CWnd::ScreenToClient(Point* point) const {
    if (point == nullptr) {
        return;
    }
    const auto o = OnWindow<Point>(
        m_hWnd, {}, [](DesktopImpl& d, WindowRecord& w) { return d.ClientOrigin(&w); });
    point->x -= o.x;
    point->y -= o.y;
}

void CWnd::ScreenToClient(Rect* rect) const {
    if (rect == nullptr) {
        return;
    }
    const auto o = OnWindow<Point>(
        m_hWnd, {}, [](DesktopImpl& d, WindowRecord& w) { return d.ClientOrigin(&w); });
    *rect = rect->Offset(-o.x, -o.y);
}

void CWnd::ClientToScreen(Point* point) const {
    if (point == nullptr) {
        return;
    }
    const auto o = OnWindow<Point>(
        m_hWnd, {}, [](DesktopImpl& d, WindowRecord& w) { return d.ClientOrigin(&w); });
    point->x += o.x;
    point->y += o.y;
}

void CWnd::ClientToScreen(Rect* rect) const {
    if (rect == nullptr) {
        return;
    }
    const auto o = OnWindow<Point>(
        m_hWnd, {}, [](DesktopImpl& d, WindowRecord& w) { return d.ClientOrigin(&w); });
    *rect = rect->Offset(o.x, o.y);
}

void CWnd::Invalidate(BOOL /*erase*/) {
    OnWindowVoid(m_hWnd, [](DesktopImpl& d, WindowRecord& w) { d.DamageWindow(&w); });
}

void CWnd::InvalidateRect(const Rect* rect, BOOL erase) {
    if (rect == nullptr) {
        Invalidate(erase);
        return;
    }
    const Rect r = *rect;
    OnWindowVoid(m_hWnd, [r](DesktopImpl& d, WindowRecord& w) {
        const Point o = d.ClientOrigin(&w);
        d.Damage(r.Offset(o.x, o.y).Intersect(d.ScreenRect(&w)));
    });
}

void CWnd::UpdateWindow() {
    OnWindowVoid(m_hWnd, [](DesktopImpl& d, WindowRecord&) { d.PaintAndPresent(); });
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse, void* /*unused*/) {
    const auto result = OnWindow<UINT_PTR>(
        m_hWnd, 0, [&](DesktopImpl& d, WindowRecord& w) { return d.SetTimer(&w, id, elapse); });
    if (result == 0 && IsWindow(m_hWnd) == FALSE) {
        platform::SetLastError(platform::ERROR_INVALID_HANDLE);
    }
    return result;
}

BOOL CWnd::KillTimer(UINT_PTR id) {
    return OnWindow(m_hWnd, FALSE, [id](DesktopImpl& d, WindowRecord& w) {
        return d.KillTimer(w.hwnd, id) ? TRUE : FALSE;
    });
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ui::SendMessage(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ui::PostMessage(m_hWnd, message, wParam, lParam);
}

CWnd* CWnd::SetCapture() {
    return OnWindow<CWnd*>(m_hWnd, nullptr, [](DesktopImpl& d, WindowRecord& w) -> CWnd* {
        WindowRecord* previous = d.Find(d.Capture());
        d.SetCapture(&w);
        return previous != nullptr ? previous->target : nullptr;
    });
}

BOOL CWnd::ReleaseCapture() {
    return ui::ReleaseCapture();
}

CWnd* CWnd::GetCapture() {
    return FromHandle(ui::GetCapture());
}

CWnd* CWnd::SetFocus() {
    return OnWindow<CWnd*>(m_hWnd, nullptr, [](DesktopImpl& d, WindowRecord& w) -> CWnd* {
        WindowRecord* previous = d.Find(d.Focus());
        d.SetFocus(&w);
        return previous != nullptr ? previous->target : nullptr;
    });
}

CWnd* CWnd::GetFocus() {
    return FromHandle(ui::GetFocus());
}

HICON CWnd::SetIcon(HICON icon, BOOL bigIcon) {
    return OnWindow<HICON>(m_hWnd, 0, [&](DesktopImpl&, WindowRecord& w) {
        return std::exchange(bigIcon != FALSE ? w.iconBig : w.iconSmall, icon);
    });
}

HICON CWnd::GetIcon(BOOL bigIcon) const {
    return OnWindow<HICON>(m_hWnd, 0, [&](DesktopImpl&, WindowRecord& w) {
        return bigIcon != FALSE ? w.iconBig : w.iconSmall;
    });
}

void CWnd::CheckDlgButton(int id, UINT check) {
    if (CWnd* item = GetDlgItem(id)) {
        item->SendMessage(BM_SETCHECK, check, 0);
    }
}

UINT CWnd::IsDlgButtonChecked(int id) const {
    CWnd* item = GetDlgItem(id);
    return item != nullptr ? static_cast<UINT>(item->SendMessage(BM_GETCHECK, 0, 0)) : 0;
}

int CWnd::MessageBox(std::string_view text, std::string_view caption, UINT type) {
    const std::string title = caption.empty() ? AfxGetAppName() : std::string(caption);
    return ui::MessageBox(m_hWnd, text, title, type);
}

BOOL CWnd::DestroyWindow() {
    return OnWindow(m_hWnd, FALSE, [](DesktopImpl& d, WindowRecord& w) {
        d.Destroy(&w);
        return TRUE;
    });
}

void CWnd::BindCommand(int id, UINT code, std::function<void()> handler) {
    commands_[{id, code}] = std::move(handler);
}

void CWnd::BindCommandRange(int firstId, int lastId, UINT code,
                            std::function<void(int id)> handler) {
    commandRanges_.push_back({firstId, lastId, code, std::move(handler)});
}

void CWnd::BindNotify(int id, UINT code, std::function<void(NMHDR*, LRESULT*)> handler) {
    notifies_[{id, code}] = std::move(handler);
}

void CWnd::BindMessage(UINT message, std::function<LRESULT(WPARAM, LPARAM)> handler) {
    messages_[message] = std::move(handler);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const CurrentMessage saved = current_;
    current_ = {message, wParam, lParam};
    LRESULT result = 0;
    if (OnWndMsg(message, wParam, lParam, &result) == FALSE) {
        result = DefWindowProc(message, wParam, lParam);
    }
    current_ = saved;
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    DesktopImpl* d = DesktopImpl::Current();
    WindowRecord* w = d != nullptr ? d->Find(m_hWnd) : nullptr;
    return w != nullptr ? d->DefProc(w, message, wParam, lParam) : 0;
}

LRESULT CWnd::Default() {
    return DefWindowProc(current_.message, current_.wParam, current_.lParam);
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (auto it = messages_.find(message); it != messages_.end()) {
        const auto handler = it->second;
        *result = handler(wParam, lParam);
        return TRUE;
    }
    const Point point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
        case WM_COMMAND:
            return OnCommand(wParam, lParam);
        case WM_NOTIFY: {
            LRESULT notifyResult = 0;
            if (OnNotify(wParam, lParam, &notifyResult) != FALSE) {
                *result = notifyResult;
                return TRUE;
            }
            return FALSE;
        }
        case WM_PAINT:
            OnPaint();
            return TRUE;
        case WM_TIMER:
            OnTimer(wParam);
            return TRUE;
        case WM_CLOSE:
            OnClose();
            return TRUE;
        case WM_DESTROY:
            OnDestroy();
            return TRUE;
        case WM_LBUTTONDOWN:
            OnLButtonDown(static_cast<UINT>(wParam), point);
            return TRUE;
        case WM_LBUTTONUP:
            OnLButtonUp(static_cast<UINT>(wParam), point);
            return TRUE;
        case WM_LBUTTONDBLCLK:
            OnLButtonDblClk(static_cast<UINT>(wParam), point);
            return TRUE;
        case WM_MOUSEMOVE:
            OnMouseMove(static_cast<UINT>(wParam), point);
            return TRUE;
        case WM_VSCROLL:
            OnVScroll(LOWORD(wParam), HIWORD(wParam), FromHandle(reinterpret_cast<HWND>(lParam)));
            return TRUE;
        case WM_HSCROLL:
            OnHScroll(LOWORD(wParam), HIWORD(wParam), FromHandle(reinterpret_cast<HWND>(lParam)));
            return TRUE;
        case WM_KEYDOWN:
            OnKeyDown(static_cast<UINT>(wParam), LOWORD(static_cast<std::uintptr_t>(lParam)),
                      HIWORD(static_cast<std::uintptr_t>(lParam)));
            return TRUE;
        case WM_CHAR:
            OnChar(static_cast<UINT>(wParam), LOWORD(static_cast<std::uintptr_t>(lParam)),
                   HIWORD(static_cast<std::uintptr_t>(lParam)));
            return TRUE;
        default:
            return FALSE;
    }
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM /*lParam*/) {
    const int id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    if (auto it = commands_.find({id, code}); it != commands_.end()) {
        const auto handler = it->second;
        handler();
        return TRUE;
    }
    for (const CommandRange& range : commandRanges_) {
        if (id >= range.first && id <= range.last && code == range.code) {
            const auto handler = range.handler;
            handler(id);
            return TRUE;
        }
    }
    return FALSE;
}

BOOL CWnd::OnNotify(WPARAM /*wParam*/, LPARAM lParam, LRESULT* result) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header == nullptr) {
        return FALSE;
    }
    const auto it = notifies_.find({static_cast<int>(header->idFrom), header->code});
    if (it == notifies_.end()) {
        return FALSE;
    }
    const auto handler = it->second;
    handler(header, result);
    return TRUE;
}

void CWnd::OnPaint() {
    Default();
}
void CWnd::OnTimer(UINT_PTR /*id*/) {
    Default();
}
void CWnd::OnClose() {
    Default();
}
void CWnd::OnDestroy() {
    Default();
}
void CWnd::OnLButtonDown(UINT /*flags*/, Point /*point*/) {
    Default();
}
void CWnd::OnLButtonUp(UINT /*flags*/, Point /*point*/) {
    Default();
}
void CWnd::OnLButtonDblClk(UINT /*flags*/, Point /*point*/) {
    Default();
}
void CWnd::OnMouseMove(UINT /*flags*/, Point /*point*/) {
    Default();
}
void CWnd::OnVScroll(UINT /*code*/, UINT /*pos*/, CWnd* /*bar*/) {
    Default();
}
void CWnd::OnHScroll(UINT /*code*/, UINT /*pos*/, CWnd* /*bar*/) {
    Default();
}
void CWnd::OnKeyDown(UINT /*key*/, UINT /*repeat*/, UINT /*flags*/) {
    Default();
}
void CWnd::OnChar(UINT /*ch*/, UINT /*repeat*/, UINT /*flags*/) {
    Default();
}

// --- free functions ----------------------------------------------------

BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto hub = detail::CurrentHub();
    MSG msg;
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    if (DesktopImpl* d = DesktopImpl::Current()) {
        msg.time = static_cast<DWORD>(d->Now());
    }
    if (hub == nullptr || !hub->Post(msg)) {
        platform::SetLastError(platform::ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (DesktopImpl* d = DesktopImpl::Current()) {
        return d->Send(hwnd, message, wParam, lParam);
    }
    auto hub = detail::CurrentHub();
    return hub != nullptr ? hub->Send(hwnd, message, wParam, lParam) : 0;
}

BOOL PeekMessage(MSG* msg, HWND hwnd, UINT first, UINT last, UINT remove) {
    DesktopImpl* d = DesktopImpl::Current();
    if (d == nullptr || msg == nullptr) {
        return FALSE;
    }
    return d->hub->TakePosted(msg, hwnd, first, last, (remove & PM_REMOVE) != 0) ? TRUE : FALSE;
}

void PostQuitMessage(int /*exitCode*/) {
    if (auto hub = detail::CurrentHub()) {
        hub->RequestQuit();
    }
}

BOOL IsWindow(HWND hwnd) {
    if (DesktopImpl* d = DesktopImpl::Current()) {
        return d->Find(hwnd) != nullptr ? TRUE : FALSE;
    }
    auto hub = detail::CurrentHub();
    return hub != nullptr && hub->IsLive(hwnd) ? TRUE : FALSE;
}

HWND GetCapture() {
    HWND result = nullptr;
    if (DesktopImpl* d = DesktopImpl::Current()) {
        return d->Capture();
    }
    if (auto hub = detail::CurrentHub()) {
        hub->Invoke(nullptr, [&] {
            if (DesktopImpl* d = DesktopImpl::Current()) {
                result = d->Capture();
            }
        });
    }
    return result;
}

BOOL ReleaseCapture() {
    if (DesktopImpl* d = DesktopImpl::Current()) {
        d->ReleaseCapture();
        return TRUE;
    }
    auto hub = detail::CurrentHub();
    return hub != nullptr && hub->Invoke(nullptr,
                                         [] {
                                             if (DesktopImpl* d = DesktopImpl::Current()) {
                                                 d->ReleaseCapture();
                                             }
                                         })
               ? TRUE
               : FALSE;
}

HWND GetFocus() {
    HWND result = nullptr;
    if (DesktopImpl* d = DesktopImpl::Current()) {
        return d->Focus();
    }
    if (auto hub = detail::CurrentHub()) {
        hub->Invoke(nullptr, [&] {
            if (DesktopImpl* d = DesktopImpl::Current()) {
                result = d->Focus();
            }
        });
    }
    return result;
}

}  // namespace ui
