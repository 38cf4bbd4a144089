// Up-down control. An arrow tap (or an arrow key on its buddy, with
// UDS_ARROWKEYS) first reads the buddy's number, then asks the parent with
// UDN_DELTAPOS carrying the position and the step before the change; a
// non-zero result keeps everything as it is. Otherwise the step is applied
// within the range (or wraps with UDS_WRAP), the buddy's text is rewritten
// (UDS_SETBUDDYINT) and the parent gets WM_VSCROLL.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include "desktop_impl.h"
#include "look.h"
#include "platform/text.h"

namespace ui::detail {

namespace {

// The default range of a new up-down control runs from 100 down to 0.
constexpr int kDefaultLower = 100;
constexpr int kDefaultUpper = 0;

class UpDownClass : public WindowClass {
  public:
    [[nodiscard]] const char* Name() const override { return "UpDown"; }

    LRESULT Proc(DesktopImpl& d, WindowRecord& w, UINT message, WPARAM wParam,
                 LPARAM lParam) override {
        switch (message) {
            case UDM_SETRANGE:
                upper_ = static_cast<std::int16_t>(LOWORD(static_cast<std::uintptr_t>(lParam)));
                lower_ = static_cast<std::int16_t>(HIWORD(static_cast<std::uintptr_t>(lParam)));
                return 0;
            case UDM_GETRANGE:
                return MAKELONG(upper_, lower_);
            case UDM_SETRANGE32:
                lower_ = static_cast<int>(static_cast<std::intptr_t>(wParam));
                upper_ = static_cast<int>(lParam);
                return 0;
            case UDM_GETRANGE32:
                if (wParam != 0) {
                    *reinterpret_cast<int*>(wParam) = lower_;
                }
                if (lParam != 0) {
                    *reinterpret_cast<int*>(lParam) = upper_;
                }
                return 0;
            case UDM_SETPOS:
                return SetPos(
                    d, w, static_cast<std::int16_t>(LOWORD(static_cast<std::uintptr_t>(lParam))));
            case UDM_SETPOS32:
                return SetPos(d, w, static_cast<int>(lParam));
            case UDM_GETPOS: {
                const bool ok = ReadBuddy(d, w);
                return MAKELONG(pos_, ok ? 0 : 1);
            }
            case UDM_GETPOS32: {
                const bool ok = ReadBuddy(d, w);
                if (lParam != 0) {
                    *reinterpret_cast<BOOL*>(lParam) = ok ? FALSE : TRUE;
                }
                return pos_;
            }
            case UDM_SETBUDDY: {
                const HWND previous = buddy_;
                SetBuddy(d, w, reinterpret_cast<HWND>(wParam));
                return reinterpret_cast<LRESULT>(previous);
            }
            case UDM_GETBUDDY:
                return reinterpret_cast<LRESULT>(d.Find(buddy_) != nullptr ? buddy_ : nullptr);
            case WM_LBUTTONDOWN:
            case WM_LBUTTONDBLCLK: {
                const Point p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
                const Rect r = d.ClientRect(&w);
                const bool horizontal = (w.style & UDS_HORZ) != 0;
                const bool increase = horizontal ? p.x >= r.Width() / 2 : p.y < r.Height() / 2;
                pressed_ = increase ? 1 : -1;
                d.SetCapture(&w);
                d.DamageWindow(&w);
                Step(d, w, increase);
                return 0;
            }
            case WM_LBUTTONUP:
                if (pressed_ != 0) {
                    pressed_ = 0;
                    d.DamageWindow(&w);
                    if (d.Capture() == w.hwnd) {
                        d.ReleaseCapture();
                    }
                    Scrolled(d, w, SB_ENDSCROLL);
                }
                return 0;
            case WM_CAPTURECHANGED:
                if (pressed_ != 0 && d.Capture() != w.hwnd) {
                    pressed_ = 0;
                    d.DamageWindow(&w);
                }
                return 0;
            case WM_KEYDOWN:
                if (wParam == VK_UP || wParam == VK_DOWN || wParam == VK_LEFT ||
                    wParam == VK_RIGHT) {
                    const HWND hwnd = w.hwnd;
                    Step(d, w, wParam == VK_UP || wParam == VK_RIGHT);
                    if (WindowRecord* still = d.Find(hwnd)) {
                        Scrolled(d, *still, SB_ENDSCROLL);
                    }
                }
                return 0;
            default:
                return WindowClass::Proc(d, w, message, wParam, lParam);
        }
    }

    void Paint(DesktopImpl& d, WindowRecord& w, CDC& dc) override {
        const Rect r = d.ClientRect(&w);
        const bool enabled = d.EffectivelyEnabled(&w);
        if ((w.style & UDS_HORZ) != 0) {
            const Rect left{r.left, r.top, r.left + r.Width() / 2, r.bottom};
            const Rect right{left.right, r.top, r.right, r.bottom};
            look::ButtonFace(dc, left, pressed_ < 0, false);
            look::ArrowGlyph(dc, left, look::Arrow::Left, enabled);
            look::ButtonFace(dc, right, pressed_ > 0, false);
            look::ArrowGlyph(dc, right, look::Arrow::Right, enabled);
            return;
        }
        const Rect up{r.left, r.top, r.right, r.top + r.Height() / 2};
        const Rect down{r.left, up.bottom, r.right, r.bottom};
        look::ButtonFace(dc, up, pressed_ > 0, false);
        look::ArrowGlyph(dc, up, look::Arrow::Up, enabled);
        look::ButtonFace(dc, down, pressed_ < 0, false);
        look::ArrowGlyph(dc, down, look::Arrow::Down, enabled);
    }

    void AfterCreate(DesktopImpl& d, WindowRecord& w, WindowRecord* previous) override {
        if ((w.style & UDS_AUTOBUDDY) != 0 && previous != nullptr) {
            SetBuddy(d, w, previous->hwnd);
        }
    }

  private:
    [[nodiscard]] int Low() const { return std::min(lower_, upper_); }
    [[nodiscard]] int High() const { return std::max(lower_, upper_); }

    void SetBuddy(DesktopImpl& d, WindowRecord& w, HWND hwnd) {
        if (WindowRecord* old = d.Find(buddy_); old != nullptr && old->arrowKeySpin == w.hwnd) {
            old->arrowKeySpin = nullptr;
        }
        buddy_ = hwnd;
        WindowRecord* buddy = d.Find(hwnd);
        if (buddy == nullptr || buddy->parent != w.parent) {
            return;
        }
        if ((w.style & UDS_ARROWKEYS) != 0) {
            buddy->arrowKeySpin = w.hwnd;
        }
        // Aligned: the up-down sits on the buddy's edge and the buddy gives
        // up the room (less the two pixels of border they share).
        const int width = w.rect.Width();
        Rect b = buddy->rect;
        if ((w.style & UDS_ALIGNRIGHT) != 0) {
            b.right -= width - 2;
            d.Move(buddy, b);
            d.Move(&w, {b.right - 2, b.top, b.right - 2 + width, b.bottom});
        } else if ((w.style & UDS_ALIGNLEFT) != 0) {
            b.left += width - 2;
            d.Move(buddy, b);
            d.Move(&w, {b.left + 2 - width, b.top, b.left + 2, b.bottom});
        }
    }

    // Takes the position from the buddy's text; false when it is not a whole
    // number within the range (the position stays).
    bool ReadBuddy(DesktopImpl& d, WindowRecord& w) {
        if ((w.style & UDS_SETBUDDYINT) == 0) {
            return true;
        }
        WindowRecord* buddy = d.Find(buddy_);
        if (buddy == nullptr) {
            return true;
        }
        std::string text;
        const auto length = d.Send(buddy->hwnd, WM_GETTEXTLENGTH, 0, 0);
        if (length > 0) {
            text.assign(static_cast<std::size_t>(length) + 1, '\0');
            const auto copied =
                d.Send(buddy_, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
            text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
        }
        if ((w.style & UDS_NOTHOUSANDS) == 0) {
            std::erase(text, ',');
        }
        const char* begin = text.c_str();
        while (*begin == ' ') {
            ++begin;
        }
        if (*begin == '\0') {
            return false;
        }
        char* end = nullptr;
        errno = 0;
        const long value = std::strtol(begin, &end, 10);
        if (end == nullptr || end == begin || errno == ERANGE) {
            return false;
        }
        const char* rest = end;
        while (*rest == ' ') {
            ++rest;
        }
        if (*rest != '\0' || value < Low() || value > High()) {
            return false;
        }
        pos_ = static_cast<int>(value);
        return true;
    }

    void WriteBuddy(DesktopImpl& d, WindowRecord& w) {
        if ((w.style & UDS_SETBUDDYINT) == 0 || d.Find(buddy_) == nullptr) {
            return;
        }
        std::string digits = platform::Format("%d", pos_ < 0 ? -pos_ : pos_);
        if ((w.style & UDS_NOTHOUSANDS) == 0) {
            for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3) {
                digits.insert(static_cast<std::size_t>(at), 1, ',');
            }
        }
        const std::string text = (pos_ < 0 ? "-" : "") + digits;
        d.Send(buddy_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }

    LRESULT SetPos(DesktopImpl& d, WindowRecord& w, int pos) {
        const int previous = pos_;
        pos_ = std::clamp(pos, Low(), High());
        WriteBuddy(d, w);
        return previous;
    }

    void Step(DesktopImpl& d, WindowRecord& w, bool increaseArrow) {
        const HWND hwnd = w.hwnd;
        ReadBuddy(d, w);
        // The up (or right) arrow moves from lower towards upper.
        int delta = increaseArrow ? 1 : -1;
        if (lower_ > upper_) {
            delta = -delta;
        }
        NMUPDOWN change;
        change.hdr.code = UDN_DELTAPOS;
        change.iPos = pos_;
        change.iDelta = delta;
        if (d.NotifyParent(w, &change.hdr) != 0 || d.Find(hwnd) == nullptr) {
            return;
        }
        const int before = pos_;
        long long next = static_cast<long long>(pos_) + delta;
        if (next < Low() || next > High()) {
            if ((w.style & UDS_WRAP) != 0) {
                next = next < Low() ? High() : Low();
            } else {
                next = std::clamp<long long>(next, Low(), High());
            }
        }
        pos_ = static_cast<int>(next);
        if (pos_ != before) {
            WriteBuddy(d, w);
            if (WindowRecord* still = d.Find(hwnd)) {
                Scrolled(d, *still, SB_THUMBPOSITION);
            }
        }
    }

    void Scrolled(DesktopImpl& d, WindowRecord& w, UINT code) {
        if (w.parent == nullptr) {
            return;
        }
        const UINT message = (w.style & UDS_HORZ) != 0 ? WM_HSCROLL : WM_VSCROLL;
        d.Send(w.parent->hwnd, message, MAKEWPARAM(code, static_cast<unsigned>(pos_) & 0xFFFFU),
               reinterpret_cast<LPARAM>(w.hwnd));
    }

    int lower_ = kDefaultLower;
    int upper_ = kDefaultUpper;
    int pos_ = 0;
    HWND buddy_ = nullptr;
    int pressed_ = 0;
};

}  // namespace

std::unique_ptr<WindowClass> MakeUpDownClass() {
    return std::make_unique<UpDownClass>();
}

}  // namespace ui::detail
