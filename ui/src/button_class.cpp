// Buttons: push buttons (clicked on pen-up inside), auto radio buttons with
// exclusive groups (from an item with WS_GROUP to the next one, in template
// order), the push-like variant, check boxes and group boxes (a frame with a
// label, transparent to taps).
#include <algorithm>

#include "desktop_impl.h"
#include "look.h"

namespace ui::detail {

namespace {

constexpr int kTextGap = 4;

class ButtonClass : public WindowClass {
  public:
    [[nodiscard]] const char* Name() const override { return "Button"; }

    LRESULT Proc(DesktopImpl& d, WindowRecord& w, UINT message, WPARAM wParam,
                 LPARAM lParam) override {
        const Point p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        switch (message) {
            case BM_GETCHECK:
                return HasCheck(w) ? check_ : BST_UNCHECKED;
            case BM_SETCHECK:
                if (HasCheck(w) && check_ != static_cast<int>(wParam)) {
                    check_ = static_cast<int>(wParam);
                    d.DamageWindow(&w);
                }
                return 0;
            case BM_GETSTATE:
                return (HasCheck(w) ? check_ : 0) | (pushed_ ? BST_PUSHED : 0) |
                       (d.Focus() == w.hwnd ? BST_FOCUS : 0);
            case BM_SETSTATE:
                SetPushed(d, w, wParam != 0);
                return 0;
            case BM_SETSTYLE:
                w.style = (w.style & ~0xFFFFU) | (static_cast<DWORD>(wParam) & 0xFFFFU);
                d.DamageWindow(&w);
                return 0;
            case BM_CLICK:
                Click(d, w);
                return 0;
            case WM_LBUTTONDOWN:
            case WM_LBUTTONDBLCLK:
                if (Type(w) == BS_GROUPBOX) {
                    return 0;
                }
                tracking_ = true;
                d.SetFocus(&w);
                d.SetCapture(&w);
                SetPushed(d, w, true);
                return 0;
            case WM_MOUSEMOVE:
                if (tracking_) {
                    SetPushed(d, w, d.ClientRect(&w).Contains(p));
                }
                return 0;
            case WM_LBUTTONUP: {
                if (!tracking_) {
                    return 0;
                }
                tracking_ = false;
                const bool inside = d.ClientRect(&w).Contains(p);
                SetPushed(d, w, false);
                if (d.Capture() == w.hwnd) {
                    d.ReleaseCapture();
                }
                if (inside) {
                    Click(d, w);
                }
                return 0;
            }
            case WM_CAPTURECHANGED:
                if (tracking_ && d.Capture() != w.hwnd) {
                    tracking_ = false;
                    SetPushed(d, w, false);
                }
                return 0;
            case WM_CHAR:
                if (wParam == ' ' && Type(w) != BS_GROUPBOX) {
                    Click(d, w);
                }
                return 0;
            default:
                return WindowClass::Proc(d, w, message, wParam, lParam);
        }
    }

    void EraseBackground(DesktopImpl& d, WindowRecord& w, CDC& dc) override {
        if (Type(w) != BS_GROUPBOX) {
            WindowClass::EraseBackground(d, w, dc);
        }
    }

    void Paint(DesktopImpl& d, WindowRecord& w, CDC& dc) override {
        const Rect r = d.ClientRect(&w);
        const bool enabled = d.EffectivelyEnabled(&w);
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(enabled ? look::kText : look::kGrayText);
        const DWORD type = Type(w);
        if (type == BS_GROUPBOX) {
            PaintGroupBox(dc, w, r);
            return;
        }
        if (IsPushLike(w)) {
            const bool down = pushed_ || (HasCheck(w) && check_ == BST_CHECKED);
            look::ButtonFace(dc, r, down, type == BS_DEFPUSHBUTTON);
            if (down && HasCheck(w) && check_ == BST_CHECKED && !pushed_) {
                // A latched push-like radio: a lighter face shows it stays down.
                dc.FillSolidRect({r.left + 2, r.top + 2, r.right - 1, r.bottom - 1}, look::kLight);
            }
            Rect text = r;
            if (down) {
                text = text.Offset(1, 1);
            }
            dc.DrawText(w.text, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            return;
        }
        // Radio or check box: the glyph beside the text.
        const bool leftText = (w.style & BS_LEFTTEXT) != 0;
        const int glyphX = leftText ? r.right - look::kGlyphSize : r.left;
        const int glyphY = r.top + (r.Height() - look::kGlyphSize) / 2;
        const bool checked = check_ == BST_CHECKED;
        if (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) {
            look::RadioGlyph(dc, glyphX, glyphY, checked, enabled);
        } else {
            look::CheckGlyph(dc, glyphX, glyphY, checked, enabled);
        }
        Rect text = leftText ? Rect{r.left, r.top, glyphX - kTextGap, r.bottom}
                             : Rect{glyphX + look::kGlyphSize + kTextGap, r.top, r.right, r.bottom};
        dc.DrawText(w.text, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        if (pushed_) {
            dc.FrameRect({glyphX, glyphY, glyphX + look::kGlyphSize, glyphY + look::kGlyphSize},
                         look::kShadow);
        }
    }

    [[nodiscard]] bool TransparentToInput(const WindowRecord& w) const override {
        return Type(w) == BS_GROUPBOX;
    }

    [[nodiscard]] UINT DlgCode(const WindowRecord& w) const override {
        switch (Type(w)) {
            case BS_PUSHBUTTON:
                return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
            case BS_DEFPUSHBUTTON:
                return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
            case BS_RADIOBUTTON:
            case BS_AUTORADIOBUTTON:
                return DLGC_BUTTON | DLGC_RADIOBUTTON;
            case BS_GROUPBOX:
                return DLGC_STATIC;
            default:
                return DLGC_BUTTON;
        }
    }

  private:
    static DWORD Type(const WindowRecord& w) { return w.style & BS_TYPEMASK; }
    static bool HasCheck(const WindowRecord& w) {
        const DWORD t = Type(w);
        return t == BS_CHECKBOX || t == BS_AUTOCHECKBOX || t == BS_RADIOBUTTON ||
               t == BS_AUTORADIOBUTTON || t == 5 || t == 6;
    }
    static bool IsPushLike(const WindowRecord& w) {
        const DWORD t = Type(w);
        return t == BS_PUSHBUTTON || t == BS_DEFPUSHBUTTON || (w.style & BS_PUSHLIKE) != 0;
    }

    void SetPushed(DesktopImpl& d, WindowRecord& w, bool pushed) {
        if (pushed_ != pushed) {
            pushed_ = pushed;
            d.DamageWindow(&w);
        }
    }

    void Click(DesktopImpl& d, WindowRecord& w) {
        const DWORD type = Type(w);
        if (type == BS_AUTORADIOBUTTON) {
            if (check_ != BST_CHECKED) {
                check_ = BST_CHECKED;
                d.DamageWindow(&w);
            }
            UncheckGroup(d, w);
        } else if (type == BS_AUTOCHECKBOX) {
            check_ = check_ == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
            d.DamageWindow(&w);
        }
        d.NotifyCommand(w, BN_CLICKED);
    }

    // Unchecks the other auto radio buttons of w's group.
    static void UncheckGroup(DesktopImpl& d, WindowRecord& w) {
        if (w.parent == nullptr) {
            return;
        }
        std::vector<WindowRecord*> siblings = w.parent->children;
        std::sort(siblings.begin(), siblings.end(),
                  [](const WindowRecord* a, const WindowRecord* b) {
                      return a->creationIndex < b->creationIndex;
                  });
        const auto self = std::find(siblings.begin(), siblings.end(), &w);
        auto first = self;
        while (first != siblings.begin() && ((*first)->style & WS_GROUP) == 0) {
            --first;
        }
        auto last = self + 1;
        while (last != siblings.end() && ((*last)->style & WS_GROUP) == 0) {
            ++last;
        }
        std::vector<HWND> others;
        for (auto it = first; it != last; ++it) {
            WindowRecord* s = *it;
            if (s != &w && std::string_view(s->cls->Name()) == "Button" &&
                (s->style & BS_TYPEMASK) == BS_AUTORADIOBUTTON) {
                others.push_back(s->hwnd);
            }
        }
        for (HWND other : others) {
            d.Send(other, BM_SETCHECK, BST_UNCHECKED, 0);
        }
    }

    static void PaintGroupBox(CDC& dc, const WindowRecord& w, const Rect& r) {
        // The frame runs through the middle of the label's line.
        const int half = 6;
        const Rect frame{r.left, r.top + half, r.right, r.bottom};
        dc.Draw3dRect(frame, look::kShadow, look::kHighlight);
        dc.Draw3dRect({frame.left + 1, frame.top + 1, frame.right - 1, frame.bottom - 1},
                      look::kHighlight, look::kShadow);
        if (!w.text.empty()) {
            Rect label{r.left + 6, r.top, r.right - 6, r.top + 13};
            Rect measure = label;
            dc.DrawText(w.text, &measure, DT_LEFT | DT_SINGLELINE | DT_CALCRECT);
            const Rect gap{label.left, label.top, std::min(measure.right + 4, label.right),
                           label.bottom};
            dc.FillSolidRect(gap, look::kFace);
            Rect text{label.left + 2, label.top, label.right, label.bottom};
            dc.DrawText(w.text, &text, DT_LEFT | DT_SINGLELINE);
        }
    }

    int check_ = BST_UNCHECKED;
    bool pushed_ = false;
    bool tracking_ = false;
};

}  // namespace

std::unique_ptr<WindowClass> MakeButtonClass() {
    return std::make_unique<ButtonClass>();
}

}  // namespace ui::detail
