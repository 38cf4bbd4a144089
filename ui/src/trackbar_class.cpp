// Trackbar (slider). Vertical ones have their minimum at the top. Dragging
// the thumb sends TB_THUMBTRACK while it moves, TB_THUMBPOSITION and
// TB_ENDTRACK when the pen lifts; a tap beside the thumb pages towards the
// tap (TB_PAGEUP / TB_PAGEDOWN) and ends with TB_ENDTRACK; the arrow keys
// step by the line size. The parent gets them as WM_VSCROLL (WM_HSCROLL for
// horizontal ones) with the position changed first.
#include <algorithm>

#include "desktop_impl.h"
#include "look.h"

namespace ui::detail {

namespace {

constexpr int kThumbLength = 10;   // along the channel
constexpr int kThumbBreadth = 18;  // across it
constexpr int kTickLength = 4;

class TrackbarClass : public WindowClass {
  public:
    [[nodiscard]] const char* Name() const override { return "Trackbar"; }

    LRESULT Proc(DesktopImpl& d, WindowRecord& w, UINT message, WPARAM wParam,
                 LPARAM lParam) override {
        const Point p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        switch (message) {
            case TBM_GETPOS:
                return pos_;
            case TBM_SETPOS:
                pos_ = std::clamp(static_cast<int>(lParam), min_, max_);
                d.DamageWindow(&w);
                return 0;
            case TBM_SETRANGE:
                min_ = static_cast<std::int16_t>(LOWORD(static_cast<std::uintptr_t>(lParam)));
                max_ = static_cast<std::int16_t>(HIWORD(static_cast<std::uintptr_t>(lParam)));
                ClampRange(d, w);
                return 0;
            case TBM_SETRANGEMIN:
                min_ = static_cast<int>(lParam);
                ClampRange(d, w);
                return 0;
            case TBM_SETRANGEMAX:
                max_ = static_cast<int>(lParam);
                ClampRange(d, w);
                return 0;
            case TBM_GETRANGEMIN:
                return min_;
            case TBM_GETRANGEMAX:
                return max_;
            case TBM_SETTICFREQ:
                ticFrequency_ = std::max(1, static_cast<int>(wParam));
                d.DamageWindow(&w);
                return 0;
            case TBM_SETPAGESIZE:
                return std::exchange(page_, static_cast<int>(lParam));
            case TBM_GETPAGESIZE:
                return page_;
            case TBM_SETLINESIZE:
                return std::exchange(line_, static_cast<int>(lParam));
            case TBM_GETLINESIZE:
                return line_;
            case WM_LBUTTONDOWN:
            case WM_LBUTTONDBLCLK: {
                d.SetFocus(&w);
                if (d.Find(w.hwnd) == nullptr) {
                    return 0;
                }
                const Rect thumb = Thumb(d, w);
                d.SetCapture(&w);
                if (thumb.Contains(p)) {
                    dragging_ = true;
                    grab_ = Along(w, p) - Along(w, {thumb.left, thumb.top});
                    return 0;
                }
                paging_ = true;
                if (Along(w, p) < Along(w, {thumb.left, thumb.top})) {
                    Move(d, w, pos_ - page_, TB_PAGEUP);
                } else {
                    Move(d, w, pos_ + page_, TB_PAGEDOWN);
                }
                return 0;
            }
            case WM_MOUSEMOVE:
                if (dragging_) {
                    const int value = ValueAt(d, w, Along(w, p) - grab_ + kThumbLength / 2);
                    if (value != pos_) {
                        Move(d, w, value, TB_THUMBTRACK);
                    }
                }
                return 0;
            case WM_LBUTTONUP: {
                const HWND hwnd = w.hwnd;
                const bool wasDragging = std::exchange(dragging_, false);
                const bool wasPaging = std::exchange(paging_, false);
                if (!wasDragging && !wasPaging) {
                    return 0;
                }
                if (d.Capture() == w.hwnd) {
                    d.ReleaseCapture();
                }
                if (wasDragging) {
                    Notify(d, w, TB_THUMBPOSITION);
                }
                if (WindowRecord* still = d.Find(hwnd)) {
                    Notify(d, *still, TB_ENDTRACK);
                }
                return 0;
            }
            case WM_CAPTURECHANGED:
                if (d.Capture() != w.hwnd) {
                    dragging_ = paging_ = false;
                }
                return 0;
            case WM_KEYDOWN: {
                const HWND hwnd = w.hwnd;
                switch (wParam) {
                    case VK_UP:
                    case VK_LEFT:
                        Move(d, w, pos_ - line_, TB_LINEUP);
                        break;
                    case VK_DOWN:
                    case VK_RIGHT:
                        Move(d, w, pos_ + line_, TB_LINEDOWN);
                        break;
                    case VK_PRIOR:
                        Move(d, w, pos_ - page_, TB_PAGEUP);
                        break;
                    case VK_NEXT:
                        Move(d, w, pos_ + page_, TB_PAGEDOWN);
                        break;
                    case VK_HOME:
                        Move(d, w, min_, TB_TOP);
                        break;
                    case VK_END:
                        Move(d, w, max_, TB_BOTTOM);
                        break;
                    default:
                        return 0;
                }
                if (WindowRecord* still = d.Find(hwnd)) {
                    Notify(d, *still, TB_ENDTRACK);
                }
                return 0;
            }
            default:
                return WindowClass::Proc(d, w, message, wParam, lParam);
        }
    }

    void Paint(DesktopImpl& d, WindowRecord& w, CDC& dc) override {
        const Rect r = d.ClientRect(&w);
        const bool vertical = Vertical(w);
        const int across = vertical ? r.Width() : r.Height();
        const int center = across / 2;
        const int start = Margin();
        const int end = (vertical ? r.Height() : r.Width()) - Margin();
        // Channel: a sunken groove 4 pixels wide.
        const Rect channel = Oriented(w, start - 2, center - 2, end + 2, center + 2);
        look::SunkenEdge(dc, channel);
        // Ticks on the right (below) unless TBS_LEFT; both sides with TBS_BOTH.
        if ((w.style & TBS_NOTICKS) == 0) {
            const bool autoTicks = (w.style & TBS_AUTOTICKS) != 0;
            for (int v = min_; v <= max_;
                 v += autoTicks ? ticFrequency_ : std::max(1, max_ - min_)) {
                const int at = Offset(d, w, v);
                const int far = center + kThumbBreadth / 2 + 2;
                const int near = center - kThumbBreadth / 2 - 2 - kTickLength;
                if ((w.style & TBS_LEFT) == 0 || (w.style & TBS_BOTH) != 0) {
                    dc.FillSolidRect(Oriented(w, at, far, at + 1, far + kTickLength), look::kText);
                }
                if ((w.style & (TBS_LEFT | TBS_BOTH)) != 0) {
                    dc.FillSolidRect(Oriented(w, at, near, at + 1, near + kTickLength),
                                     look::kText);
                }
                if (max_ <= min_) {
                    break;
                }
            }
        }
        look::ButtonFace(dc, Thumb(d, w), dragging_, false);
    }

  private:
    static bool Vertical(const WindowRecord& w) { return (w.style & TBS_VERT) != 0; }
    static int Margin() { return kThumbLength / 2 + 3; }

    // A rectangle given along / across the channel.
    static Rect Oriented(const WindowRecord& w, int a0, int c0, int a1, int c1) {
        return Vertical(w) ? Rect{c0, a0, c1, a1} : Rect{a0, c0, a1, c1};
    }
    static int Along(const WindowRecord& w, Point p) { return Vertical(w) ? p.y : p.x; }

    int Length(DesktopImpl& d, const WindowRecord& w) const {
        const Rect r = d.ClientRect(&w);
        return std::max(1, (Vertical(w) ? r.Height() : r.Width()) - 2 * Margin());
    }

    // The channel offset of a value.
    int Offset(DesktopImpl& d, const WindowRecord& w, int value) const {
        if (max_ <= min_) {
            return Margin();
        }
        return Margin() + static_cast<int>(static_cast<long long>(value - min_) * Length(d, w) /
                                           (max_ - min_));
    }

    // The value nearest a channel offset.
    int ValueAt(DesktopImpl& d, const WindowRecord& w, int offset) const {
        if (max_ <= min_) {
            return min_;
        }
        const long long length = Length(d, w);
        const long long rel = std::clamp<long long>(offset - Margin(), 0, length);
        return min_ + static_cast<int>((rel * (max_ - min_) + length / 2) / length);
    }

    Rect Thumb(DesktopImpl& d, const WindowRecord& w) const {
        const Rect r = d.ClientRect(&w);
        const int center = (Vertical(w) ? r.Width() : r.Height()) / 2;
        const int at = Offset(d, w, pos_);
        return Oriented(w, at - kThumbLength / 2, center - kThumbBreadth / 2,
                        at - kThumbLength / 2 + kThumbLength, center + kThumbBreadth / 2);
    }

    void ClampRange(DesktopImpl& d, WindowRecord& w) {
        pos_ = std::clamp(pos_, min_, std::max(min_, max_));
        d.DamageWindow(&w);
    }

    void Move(DesktopImpl& d, WindowRecord& w, int value, UINT code) {
        pos_ = std::clamp(value, min_, std::max(min_, max_));
        d.DamageWindow(&w);
        Notify(d, w, code);
    }

    void Notify(DesktopImpl& d, WindowRecord& w, UINT code) {
        if (w.parent == nullptr) {
            return;
        }
        const bool withPos = code == TB_THUMBTRACK || code == TB_THUMBPOSITION;
        d.Send(w.parent->hwnd, Vertical(w) ? WM_VSCROLL : WM_HSCROLL,
               MAKEWPARAM(code, withPos ? static_cast<unsigned>(pos_) & 0xFFFFU : 0U),
               reinterpret_cast<LPARAM>(w.hwnd));
    }

    int min_ = 0;
    int max_ = 100;
    int pos_ = 0;
    int page_ = 20;
    int line_ = 1;
    int ticFrequency_ = 1;
    bool dragging_ = false;
    bool paging_ = false;
    int grab_ = 0;
};

}  // namespace

std::unique_ptr<WindowClass> MakeTrackbarClass() {
    return std::make_unique<TrackbarClass>();
}

}  // namespace ui::detail
