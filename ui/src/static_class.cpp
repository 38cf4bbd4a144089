// Static text: left (wrapped), centred or right-aligned text on the dialog
// face. Taps pass through unless it has SS_NOTIFY.
#include "desktop_impl.h"
#include "look.h"

namespace ui::detail {

namespace {

class StaticClass : public WindowClass {
  public:
    [[nodiscard]] const char* Name() const override { return "Static"; }

    void Paint(DesktopImpl& d, WindowRecord& w, CDC& dc) override {
        UINT format = DT_WORDBREAK;
        switch (w.style & SS_TYPEMASK) {
            case SS_CENTER:
                format = DT_CENTER | DT_WORDBREAK;
                break;
            case SS_RIGHT:
                format = DT_RIGHT | DT_WORDBREAK;
                break;
            case SS_LEFTNOWORDWRAP:
                format = DT_LEFT;
                break;
            default:
                break;
        }
        if ((w.style & SS_CENTERIMAGE) != 0) {
            format = (format & ~DT_WORDBREAK) | DT_VCENTER | DT_SINGLELINE;
        }
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(d.EffectivelyEnabled(&w) ? look::kText : look::kGrayText);
        Rect r = d.ClientRect(&w);
        dc.DrawText(w.text, &r, format);
    }

    [[nodiscard]] bool TransparentToInput(const WindowRecord& w) const override {
        return (w.style & SS_NOTIFY) == 0;
    }

    [[nodiscard]] UINT DlgCode(const WindowRecord& /*w*/) const override { return DLGC_STATIC; }
};

}  // namespace

std::unique_ptr<WindowClass> MakeStaticClass() {
    return std::make_unique<StaticClass>();
}

}  // namespace ui::detail
