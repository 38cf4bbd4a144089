// Tab control: a row of tab headers over a raised body. A tap on another
// header asks the parent (TCN_SELCHANGING, a non-zero result keeps the
// selection), selects it and tells the parent (TCN_SELCHANGE).
#include <string>
#include <vector>

#include "desktop_impl.h"
#include "look.h"

namespace ui::detail {

namespace {

constexpr int kHeaderHeight = 18;
constexpr int kPadding = 8;

class TabClass : public WindowClass {
  public:
    [[nodiscard]] const char* Name() const override { return "Tab"; }

    LRESULT Proc(DesktopImpl& d, WindowRecord& w, UINT message, WPARAM wParam,
                 LPARAM lParam) override {
        switch (message) {
            case TCM_INSERTITEM: {
                const auto* item = reinterpret_cast<const TCITEM*>(lParam);
                if (item == nullptr) {
                    return -1;
                }
                const std::size_t at = std::min<std::size_t>(wParam, items_.size());
                items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at),
                              item->pszText != nullptr ? item->pszText : "");
                if (current_ < 0) {
                    current_ = 0;
                } else if (static_cast<std::size_t>(current_) >= at && items_.size() > 1) {
                    ++current_;
                }
                d.DamageWindow(&w);
                return static_cast<LRESULT>(at);
            }
            case TCM_DELETEITEM: {
                if (wParam >= items_.size()) {
                    return FALSE;
                }
                const int index = static_cast<int>(wParam);
                items_.erase(items_.begin() + index);
                if (current_ == index) {
                    current_ = -1;
                } else if (current_ > index) {
                    --current_;
                }
                d.DamageWindow(&w);
                return TRUE;
            }
            case TCM_DELETEALLITEMS:
                items_.clear();
                current_ = -1;
                d.DamageWindow(&w);
                return TRUE;
            case TCM_GETITEMCOUNT:
                return static_cast<LRESULT>(items_.size());
            case TCM_GETCURSEL:
                return current_;
            case TCM_SETCURSEL: {
                const int previous = current_;
                if (wParam >= items_.size()) {
                    return -1;
                }
                current_ = static_cast<int>(wParam);
                d.DamageWindow(&w);
                return previous;
            }
            case TCM_GETITEMRECT: {
                auto* out = reinterpret_cast<Rect*>(lParam);
                if (out == nullptr || wParam >= items_.size()) {
                    return FALSE;
                }
                *out = Headers(w)[wParam];
                return TRUE;
            }
            case WM_LBUTTONDOWN:
            case WM_LBUTTONDBLCLK: {
                const Point p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
                const std::vector<Rect> headers = Headers(w);
                for (std::size_t i = 0; i < headers.size(); ++i) {
                    if (headers[i].Contains(p)) {
                        Select(d, w, static_cast<int>(i));
                        break;
                    }
                }
                return 0;
            }
            default:
                return WindowClass::Proc(d, w, message, wParam, lParam);
        }
    }

    void EraseBackground(DesktopImpl& /*d*/, WindowRecord& /*w*/, CDC& /*dc*/) override {}

    void Paint(DesktopImpl& d, WindowRecord& w, CDC& dc) override {
        const Rect r = d.ClientRect(&w);
        // What lies above the body, beside the headers, belongs to the parent.
        dc.FillSolidRect({r.left, r.top, r.right, r.top + kHeaderHeight}, look::kFace);
        const Rect body{r.left, r.top + kHeaderHeight, r.right, r.bottom};
        dc.FillSolidRect(body, look::kFace);
        look::RaisedEdge(dc, body);
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(d.EffectivelyEnabled(&w) ? look::kText : look::kGrayText);
        const std::vector<Rect> headers = Headers(w);
        for (std::size_t i = 0; i < headers.size(); ++i) {
            if (static_cast<int>(i) != current_) {
                PaintHeader(dc, headers[i], items_[i], false);
            }
        }
        if (current_ >= 0 && static_cast<std::size_t>(current_) < headers.size()) {
            const auto i = static_cast<std::size_t>(current_);
            PaintHeader(dc, headers[i], items_[i], true);
        }
    }

  private:
    // Header rectangles in client coordinates; the selected one stands 2
    // pixels taller and wider.
    [[nodiscard]] std::vector<Rect> Headers(const WindowRecord& /*w*/) const {
        std::vector<Rect> out;
        const Font& font = Font::System();
        int x = 2;
        for (std::size_t i = 0; i < items_.size(); ++i) {
            const int width = font.Measure(items_[i]) + kPadding;
            Rect r{x, 2, x + width, kHeaderHeight};
            if (static_cast<int>(i) == current_) {
                r = {r.left - 2, 0, r.right + 2, kHeaderHeight + 1};
            }
            out.push_back(r);
            x += width;
        }
        return out;
    }

    static void PaintHeader(CDC& dc, const Rect& r, const std::string& text, bool selected) {
        dc.FillSolidRect({r.left + 1, r.top + 1, r.right - 1, r.bottom}, look::kFace);
        dc.FillSolidRect({r.left, r.top + 2, r.left + 1, r.bottom}, look::kHighlight);
        dc.FillSolidRect({r.left + 1, r.top + 1, r.left + 2, r.top + 2}, look::kHighlight);
        dc.FillSolidRect({r.left + 2, r.top, r.right - 2, r.top + 1}, look::kHighlight);
        dc.FillSolidRect({r.right - 2, r.top + 1, r.right - 1, r.top + 2}, look::kDarkShadow);
        dc.FillSolidRect({r.right - 1, r.top + 2, r.right, r.bottom}, look::kDarkShadow);
        dc.FillSolidRect({r.right - 2, r.top + 2, r.right - 1, r.bottom}, look::kShadow);
        if (selected) {
            // Open towards the body.
            dc.FillSolidRect({r.left + 1, r.bottom - 1, r.right - 2, r.bottom + 1}, look::kFace);
        }
        Rect t = r;
        dc.DrawText(text, &t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }

    void Select(DesktopImpl& d, WindowRecord& w, int index) {
        if (index == current_) {
            return;
        }
        const HWND hwnd = w.hwnd;
        NMHDR changing;
        changing.code = TCN_SELCHANGING;
        if (d.NotifyParent(w, &changing) != 0 || d.Find(hwnd) == nullptr) {
            return;
        }
        current_ = index;
        d.DamageWindow(&w);
        NMHDR changed;
        changed.code = TCN_SELCHANGE;
        d.NotifyParent(w, &changed);
    }

    std::vector<std::string> items_;
    int current_ = -1;
};

}  // namespace

std::unique_ptr<WindowClass> MakeTabClass() {
    return std::make_unique<TabClass>();
}

}  // namespace ui::detail
