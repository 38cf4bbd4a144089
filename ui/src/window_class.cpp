// The default behaviour every window class starts from.
#include <algorithm>
#include <cstring>

#include "desktop_impl.h"
#include "look.h"

namespace ui::detail {

LRESULT WindowClass::Proc(DesktopImpl& d, WindowRecord& w, UINT message, WPARAM wParam,
                          LPARAM lParam) {
    switch (message) {
        case WM_SETTEXT: {
            const char* text = reinterpret_cast<const char*>(lParam);
            w.text = text != nullptr ? text : "";
            d.DamageWindow(&w);
            return TRUE;
        }
        case WM_GETTEXT: {
            char* buffer = reinterpret_cast<char*>(lParam);
            if (buffer == nullptr || wParam == 0) {
                return 0;
            }
            const std::size_t n = std::min<std::size_t>(w.text.size(), wParam - 1);
            std::memcpy(buffer, w.text.data(), n);
            buffer[n] = '\0';
            return static_cast<LRESULT>(n);
        }
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(w.text.size());
        case WM_PAINT: {
            FrameworkDc dc;
            d.InitPaintDc(dc, w.hwnd);
            Paint(d, w, dc);
            return 0;
        }
        case WM_ENABLE:
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            d.DamageWindow(&w);
            return 0;
        case WM_LBUTTONDBLCLK:
            // Controls take a quick second tap as another tap.
            return Proc(d, w, WM_LBUTTONDOWN, wParam, lParam);
        default:
            return 0;
    }
}

Rect WindowClass::ClientArea(const WindowRecord& w) const {
    return {0, 0, w.rect.Width(), w.rect.Height()};
}

void WindowClass::PaintNonClient(DesktopImpl& /*d*/, WindowRecord& /*w*/, CDC& /*dc*/) {}

void WindowClass::EraseBackground(DesktopImpl& d, WindowRecord& w, CDC& dc) {
    dc.FillSolidRect(d.ClientRect(&w), look::kFace);
}

void WindowClass::Paint(DesktopImpl& /*d*/, WindowRecord& /*w*/, CDC& /*dc*/) {}

bool WindowClass::TransparentToInput(const WindowRecord& /*w*/) const {
    return false;
}

UINT WindowClass::DlgCode(const WindowRecord& /*w*/) const {
    return 0;
}

void WindowClass::AfterCreate(DesktopImpl& /*d*/, WindowRecord& /*w*/, WindowRecord* /*previous*/) {
}

bool WindowClass::NonClientPenDown(DesktopImpl& /*d*/, WindowRecord& /*w*/, Point /*p*/) {
    return false;
}

}  // namespace ui::detail
