// The dialog window class: a grey client area under a blue caption bar with
// the title, the close box (WS_SYSMENU) and the Windows CE OK box
// (WS_EX_CAPTIONOKBTN). The close box sends WM_CLOSE, which a dialog takes
// as its cancel command; the OK box is the OK command. DM_GETDEFID and
// DM_SETDEFID name the default push button (desktop_default_button.cpp).
#include "desktop_impl.h"
#include "dialog_frame.h"
#include "look.h"

namespace ui::detail {

namespace {

constexpr int kBoxWidth = 16;
constexpr int kOkBoxWidth = 22;
constexpr int kBoxHeight = 14;

class DialogClass : public WindowClass {
  public:
    [[nodiscard]] const char* Name() const override { return "Dialog"; }

    LRESULT Proc(DesktopImpl& d, WindowRecord& w, UINT message, WPARAM wParam,
                 LPARAM lParam) override {
        switch (message) {
            case WM_CLOSE:
                d.Send(w.hwnd, WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(IDCANCEL), BN_CLICKED),
                       0);
                return 0;
            case WM_LBUTTONDOWN:
            case WM_LBUTTONDBLCLK:
                return 0;
            case DM_GETDEFID: {
                const int id = d.DefaultButtonId(&w);
                return id != 0 ? MAKELONG(id, DC_HASDEFID) : 0;
            }
            case DM_SETDEFID:
                return d.SetDefaultButton(&w, static_cast<int>(wParam)) ? TRUE : FALSE;
            default:
                return WindowClass::Proc(d, w, message, wParam, lParam);
        }
    }

    [[nodiscard]] Rect ClientArea(const WindowRecord& w) const override {
        const FrameMetrics m = DialogFrameMetrics(w.style);
        return {m.border, m.border + m.caption, w.rect.Width() - m.border,
                w.rect.Height() - m.border};
    }

    void PaintNonClient(DesktopImpl& d, WindowRecord& w, CDC& dc) override {
        const FrameMetrics m = DialogFrameMetrics(w.style);
        const int width = w.rect.Width();
        const int height = w.rect.Height();
        if (m.border > 0) {
            dc.FrameRect({0, 0, width, height}, look::kDarkShadow);
        }
        if (m.caption == 0) {
            return;
        }
        const bool active = d.ActiveWindow() == w.hwnd;
        const Rect bar{m.border, m.border, width - m.border, m.border + m.caption};
        dc.FillSolidRect(bar, active ? look::kCaption : look::kInactiveCaption);
        int textRight = bar.right - 2;
        if (auto close = CaptionButtonRect(w, CaptionButton::Close)) {
            look::ButtonFace(dc, *close, false, false);
            look::CloseGlyph(dc, *close);
            textRight = close->left - 2;
        }
        if (auto ok = CaptionButtonRect(w, CaptionButton::Ok)) {
            look::ButtonFace(dc, *ok, false, false);
            dc.SetBkMode(TRANSPARENT);
            dc.SetTextColor(look::kText);
            dc.SelectBoldFont(true);
            Rect r = *ok;
            dc.DrawText("OK", &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            textRight = ok->left - 2;
        }
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(look::kCaptionText);
        dc.SelectBoldFont(true);
        Rect title{bar.left + 4, bar.top, textRight, bar.bottom};
        dc.DrawText(w.text, &title, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    }

    bool NonClientPenDown(DesktopImpl& d, WindowRecord& w, Point p) override {
        for (CaptionButton b : {CaptionButton::Close, CaptionButton::Ok}) {
            if (auto r = CaptionButtonRect(w, b); r.has_value() && r->Contains(p)) {
                d.TrackCaptionButton(w.hwnd, static_cast<int>(b));
                return true;
            }
        }
        return false;
    }
};

}  // namespace

FrameMetrics DialogFrameMetrics(DWORD style) {
    FrameMetrics m;
    if ((style & (WS_BORDER | WS_DLGFRAME)) != 0 || (style & DS_MODALFRAME) != 0) {
        m.border = 1;
    }
    if ((style & WS_CAPTION) == WS_CAPTION) {
        m.caption = look::kCaptionHeight;
    }
    return m;
}

std::optional<Rect> CaptionButtonRect(const WindowRecord& w, CaptionButton button) {
    const FrameMetrics m = DialogFrameMetrics(w.style);
    if (m.caption == 0 || w.parent != nullptr) {
        return std::nullopt;
    }
    const bool hasClose = (w.style & WS_SYSMENU) != 0;
    const bool hasOk = (w.exStyle & WS_EX_CAPTIONOKBTN) != 0;
    const int top = m.border + (m.caption - kBoxHeight) / 2;
    int right = w.rect.Width() - m.border - 2;
    if (hasClose) {
        const Rect close{right - kBoxWidth, top, right, top + kBoxHeight};
        if (button == CaptionButton::Close) {
            return close;
        }
        right = close.left - 2;
    }
    if (hasOk && button == CaptionButton::Ok) {
        return Rect{right - kOkBoxWidth, top, right, top + kBoxHeight};
    }
    return std::nullopt;
}

std::unique_ptr<WindowClass> MakeDialogClass() {
    return std::make_unique<DialogClass>();
}

}  // namespace ui::detail
