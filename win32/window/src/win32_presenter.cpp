#include "win32/window/win32_presenter.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "input_translation.h"
#include "message_wait.h"
#include "pixel_scale.h"
#include "platform/utf16.h"
#include "ui/desktop.h"

// After the framework's headers: windows.h defines macros (DT_*, RGB) that
// would rewrite their declarations.
#include <windows.h>
#include <windowsx.h>

namespace win32::window {

namespace {

constexpr const wchar_t* kClassName = L"KestrinScreen";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// Feeds the framework while Windows runs a move or menu loop of its own.
constexpr UINT_PTR kModalLoopTimer = 1;
constexpr UINT kModalLoopMs = USER_TIMER_MINIMUM;

ui::InputEvent Make(ui::InputEvent::Kind kind) {
    ui::InputEvent e;
    e.kind = kind;
    return e;
}

// A 32-bit top-down DIB header: the framebuffer's 0x00RRGGBB words are
// DIB_RGB_COLORS pixels (blue, green, red, unused bytes) as they are.
BITMAPINFO DibOf(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// user32's per-monitor calls (Windows 10 1607 on), looked up so that the
// program still starts where they are missing.
template <class Function>
Function User32(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

unsigned DesktopDpi(HWND hwnd) {
    using DpiForWindow = UINT(WINAPI*)(HWND);
    static const auto dpiForWindow = User32<DpiForWindow>("GetDpiForWindow");
    if (hwnd != nullptr && dpiForWindow != nullptr) {
        if (const UINT dpi = dpiForWindow(hwnd); dpi != 0) {
            return dpi;
        }
    }
    HDC dc = GetDC(hwnd);
    const int dpi = dc != nullptr ? GetDeviceCaps(dc, LOGPIXELSX) : 0;
    if (dc != nullptr) {
        ReleaseDC(hwnd, dc);
    }
    return dpi > 0 ? static_cast<unsigned>(dpi) : detail::kDesktopDpi;
}

// The window's outer size for a client area at the given dots per inch.
SIZE FrameFor(int width, int height, unsigned dpi) {
    using AdjustForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = User32<AdjustForDpi>("AdjustWindowRectExForDpi");
    RECT frame{0, 0, width, height};
    if (adjustForDpi == nullptr || adjustForDpi(&frame, kStyle, FALSE, 0, dpi) == 0) {
        AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
    }
    return {frame.right - frame.left, frame.bottom - frame.top};
}

platform::Result<void> RegisterScreenClass() {
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (GetClassInfoExW(instance, kClassName, &cls) != 0) {
        return {};
    }
    cls.cbSize = sizeof cls;
    cls.style = CS_HREDRAW | CS_VREDRAW;
    cls.lpfnWndProc = WindowProc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    cls.lpszClassName = kClassName;
    if (RegisterClassExW(&cls) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return platform::Fail("RegisterClassEx failed (error " + std::to_string(GetLastError()) +
                              ")");
    }
    return {};
}

}  // namespace

struct Win32Presenter::Native {
    HWND hwnd = nullptr;
    HANDLE wake = nullptr;  // auto-reset: one pending wake-up is enough
    detail::TypedText typed;

    Native() = default;
    Native(const Native&) = delete;
    Native& operator=(const Native&) = delete;
    ~Native() {
        if (hwnd != nullptr) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            DestroyWindow(hwnd);
        }
        if (wake != nullptr) {
            CloseHandle(wake);
        }
    }
};

namespace {

// Window messages to the framework's input; everything else is Windows'.
LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* p = reinterpret_cast<Win32Presenter*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (p == nullptr) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    using Kind = ui::InputEvent::Kind;
    switch (message) {
        case WM_CLOSE:
            // Switching the unit off; the window goes with the presenter.
            p->Push(Make(Kind::Quit));
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            p->Paint(dc);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;  // the frame covers everything
        case WM_LBUTTONDOWN:
            SetCapture(hwnd);  // the stroke follows the mouse off the window
            p->Pen(Kind::PenDown, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case WM_MOUSEMOVE:
            p->Hover(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            p->Pen((wParam & MK_LBUTTON) != 0 ? Kind::PenMove : Kind::PenUp, GET_X_LPARAM(lParam),
                   GET_Y_LPARAM(lParam));
            return 0;
        case WM_LBUTTONUP:
            p->Pen(Kind::PenUp, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            ReleaseCapture();  // WM_CAPTURECHANGED then finds the pen up
            return 0;
        case WM_MOUSELEAVE:
            p->Left();
            return 0;
        case WM_CAPTURECHANGED:
            p->PenLost();
            return 0;
        // Windows' own loops (dragging the window, its system menu) hold the
        // thread until they end: the framework is fed from a timer.
        case WM_ENTERSIZEMOVE:
        case WM_ENTERMENULOOP:
            p->ModalLoop(true);
            break;
        case WM_EXITSIZEMOVE:
        case WM_EXITMENULOOP:
            p->ModalLoop(false);
            break;
        case WM_TIMER:
            if (wParam == kModalLoopTimer) {
                p->FeedFramework();
                return 0;
            }
            break;
        case WM_DPICHANGED: {
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            const int x = suggested->left;
            const int y = suggested->top;
            p->FitToDpi(HIWORD(wParam), &x, &y);
            return 0;
        }
        // The system keys (Alt with a key, F10) stay Windows': Alt+F4 closes
        // the window, which switches the unit off.
        case WM_KEYDOWN:
        case WM_KEYUP: {
            const ui::Key key = detail::KeyForVirtualKey(static_cast<std::uint32_t>(wParam));
            const bool down = message == WM_KEYDOWN;
            const bool repeat = down && (lParam & (LPARAM{1} << 30)) != 0;
            if (key == ui::Key::None || (repeat && !detail::Repeats(key))) {
                break;
            }
            ui::InputEvent e = Make(down ? Kind::KeyDown : Kind::KeyUp);
            e.key = key;
            p->Push(std::move(e));
            return 0;
        }
        case WM_CHAR:
            if (auto text = p->TypedUnit(static_cast<char16_t>(wParam))) {
                ui::InputEvent e = Make(Kind::Text);
                e.text = std::move(*text);
                p->Push(std::move(e));
            }
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

platform::Result<std::unique_ptr<Win32Presenter>> Win32Presenter::Create(const Options& options,
                                                                         platform::Clock& clock) {
    auto fail = [](std::string reason) { return platform::Fail(std::move(reason)); };
    if (options.scale < 1 || options.scale > 8) {
        return fail("the scale must be 1 to 8, not " + std::to_string(options.scale));
    }
    if (const platform::Result<void> registered = RegisterScreenClass(); !registered) {
        return fail(registered.error());
    }
    auto native = std::make_unique<Native>();
    native->wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (native->wake == nullptr) {
        return fail("CreateEvent failed (error " + std::to_string(GetLastError()) + ")");
    }
    const unsigned dpi = DesktopDpi(nullptr);
    const int scale = detail::WholeScale(options.scale, dpi);
    const SIZE frame = FrameFor(ui::kScreenWidth * scale, ui::kScreenHeight * scale, dpi);
    native->hwnd = CreateWindowExW(
        0, kClassName, platform::utf16::FromUtf8Lossy(options.title).c_str(), kStyle, CW_USEDEFAULT,
        CW_USEDEFAULT, frame.cx, frame.cy, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (native->hwnd == nullptr) {
        return fail("CreateWindowEx failed (error " + std::to_string(GetLastError()) +
                    "): is there a display?");
    }
    auto presenter = std::make_unique<Win32Presenter>(std::move(native), clock, options.scale);
    const HWND hwnd = presenter->native_->hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(presenter.get()));
    // The monitor it opened on may be scaled otherwise than the primary one.
    presenter->FitToDpi(DesktopDpi(hwnd));
    if (!options.hidden) {
        ShowWindow(hwnd, SW_SHOWNORMAL);
        SetForegroundWindow(hwnd);
    }
    return presenter;
}

Win32Presenter::Win32Presenter(std::unique_ptr<Native> native, platform::Clock& clock, int scale)
    : native_(std::move(native)), clock_(clock), askedScale_(scale), scale_(scale) {}

void Win32Presenter::FitToDpi(unsigned dpi, const int* x, const int* y) {
    scale_ = detail::WholeScale(askedScale_, dpi);
    const SIZE frame = FrameFor(ui::kScreenWidth * scale_, ui::kScreenHeight * scale_, dpi);
    const bool move = x != nullptr && y != nullptr;
    SetWindowPos(native_->hwnd, nullptr, move ? *x : 0, move ? *y : 0, frame.cx, frame.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE | (move ? 0U : SWP_NOMOVE));
    InvalidateRect(native_->hwnd, nullptr, FALSE);
}

void Win32Presenter::ModalLoop(bool running) {
    if (running) {
        SetTimer(native_->hwnd, kModalLoopTimer, kModalLoopMs, nullptr);
    } else {
        KillTimer(native_->hwnd, kModalLoopTimer);
    }
}

void Win32Presenter::FeedFramework() {
    // Not again from inside itself (a window the work opens runs a loop of
    // its own, which dispatches this timer too).
    ui::Desktop* desktop = ui::Desktop::Current();
    if (feeding_ || desktop == nullptr) {
        return;
    }
    feeding_ = true;
    desktop->PumpPending();
    feeding_ = false;
}

Win32Presenter::~Win32Presenter() = default;

void* Win32Presenter::NativeHandle() const {
    return native_->hwnd;
}

std::optional<std::string> Win32Presenter::TypedUnit(char16_t unit) {
    return native_->typed.Add(unit);
}

void Win32Presenter::Push(ui::InputEvent event) {
    input_.push_back(std::move(event));
}

void Win32Presenter::Pen(ui::InputEvent::Kind kind, int windowX, int windowY) {
    using Kind = ui::InputEvent::Kind;
    if (kind == Kind::PenDown ? penDown_ : !penDown_) {
        return;
    }
    penDown_ = kind != Kind::PenUp;
    ui::InputEvent e = Make(kind);
    e.x = detail::ToScreen(windowX, scale_);
    e.y = detail::ToScreen(windowY, scale_);
    lastPen_ = {e.x, e.y};
    Push(std::move(e));
}

void Win32Presenter::Hover(int windowX, int windowY) {
    const int x = detail::ToScreen(windowX, scale_);
    const int y = detail::ToScreen(windowY, scale_);
    if (x < 0 || y < 0 || x >= ui::kScreenWidth || y >= ui::kScreenHeight) {
        pointer_.reset();  // a stroke dragged off the window
        return;
    }
    pointer_ = ui::Point{x, y};
    if (!trackingLeave_) {
        // WM_MOUSELEAVE when the mouse goes, once per visit.
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof track;
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = native_->hwnd;
        trackingLeave_ = TrackMouseEvent(&track) != 0;
    }
}

void Win32Presenter::Left() {
    pointer_.reset();
    trackingLeave_ = false;
}

void Win32Presenter::PenLost() {
    if (!penDown_) {
        return;
    }
    penDown_ = false;
    ui::InputEvent e = Make(ui::InputEvent::Kind::PenUp);
    e.x = lastPen_.x;
    e.y = lastPen_.y;
    Push(std::move(e));
}

void Win32Presenter::Present(const ui::Framebuffer& screen) {
    if (screen.Width() <= 0 || screen.Height() <= 0) {
        return;
    }
    const auto pixels =
        static_cast<std::size_t>(screen.Width()) * static_cast<std::size_t>(screen.Height());
    if (shownWidth_ == screen.Width() && shownHeight_ == screen.Height() &&
        std::equal(shown_.begin(), shown_.end(), screen.Data())) {
        return;
    }
    shown_.assign(screen.Data(), screen.Data() + pixels);
    shownWidth_ = screen.Width();
    shownHeight_ = screen.Height();
    // Drawn now, not at the next wait: the frame is on screen when Present
    // returns.
    InvalidateRect(native_->hwnd, nullptr, FALSE);
    UpdateWindow(native_->hwnd);
}

void Win32Presenter::Paint(void* dc) {
    auto* const hdc = static_cast<HDC>(dc);
    RECT client{};
    GetClientRect(native_->hwnd, &client);
    if (shown_.empty()) {
        FillRect(hdc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        return;
    }
    const BITMAPINFO info = DibOf(shownWidth_, shownHeight_);
    SetStretchBltMode(hdc, COLORONCOLOR);  // whole pixels, no smoothing
    StretchDIBits(hdc, 0, 0, shownWidth_ * scale_, shownHeight_ * scale_, 0, 0, shownWidth_,
                  shownHeight_, shown_.data(), &info, DIB_RGB_COLORS, SRCCOPY);
}

ui::InputEvent Win32Presenter::WaitEvent(std::optional<std::uint64_t> deadlineMs) {
    for (;;) {
        MSG msg;
        while (input_.empty() && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) != 0) {
            if (msg.message == WM_QUIT) {
                Push(Make(ui::InputEvent::Kind::Quit));
                break;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (!input_.empty()) {
            ui::InputEvent e = std::move(input_.front());
            input_.pop_front();
            return e;
        }
        DWORD timeout = INFINITE;
        if (deadlineMs) {
            const std::uint64_t now = clock_.NowMs();
            if (now >= *deadlineMs) {
                return {};  // the deadline: the loop looks at its timers
            }
            timeout = static_cast<DWORD>(std::min<std::uint64_t>(*deadlineMs - now, INFINITE - 1));
        }
        if (detail::WaitForMessages(native_->wake, timeout) != detail::Woken::Messages) {
            return {};  // a wake-up, the deadline, or a wait that cannot wait
        }
        // Messages (sent ones were served inside the wait).
    }
}

void Win32Presenter::Wake() {
    SetEvent(native_->wake);
}

platform::Result<void> Win32Presenter::ReadBack(ui::Framebuffer* out) {
    if (shown_.empty()) {
        return platform::Fail("nothing presented yet");
    }
    const int width = shownWidth_ * scale_;
    const int height = shownHeight_ * scale_;
    HDC windowDc = GetDC(native_->hwnd);
    if (windowDc == nullptr) {
        return platform::Fail("GetDC failed");
    }
    HDC memory = CreateCompatibleDC(windowDc);
    const BITMAPINFO info = DibOf(width, height);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (memory != nullptr && bitmap != nullptr && bits != nullptr) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, width, height, windowDc, 0, 0, SRCCOPY) != 0;
        GdiFlush();
        if (ok) {
            const auto* pixels = static_cast<const std::uint32_t*>(bits);
            ui::Framebuffer shot(shownWidth_, shownHeight_);
            for (int y = 0; y < shot.Height(); ++y) {
                for (int x = 0; x < shot.Width(); ++x) {
                    // The centre of each screen pixel's square in the window.
                    const int sx = x * scale_ + scale_ / 2;
                    const int sy = y * scale_ + scale_ / 2;
                    shot.SetPixel(
                        x, y,
                        pixels[static_cast<std::size_t>(sy) * static_cast<std::size_t>(width) +
                               static_cast<std::size_t>(sx)] &
                            0x00FFFFFFU);
                }
            }
            *out = std::move(shot);
        }
        SelectObject(memory, old);
    }
    if (bitmap != nullptr) {
        DeleteObject(bitmap);
    }
    if (memory != nullptr) {
        DeleteDC(memory);
    }
    ReleaseDC(native_->hwnd, windowDc);
    if (!ok) {
        return platform::Fail("BitBlt from the window failed");
    }
    return {};
}

}  // namespace win32::window
