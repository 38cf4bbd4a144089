// Modal runs: a dialog's window and controls are made from its template,
// its owner is disabled, and a nested loop runs until EndDialog.
#include <algorithm>

#include "desktop_impl.h"
#include "dialog_frame.h"
#include "ui/controls.h"
#include "ui/dialog.h"

namespace ui::detail {

namespace {

std::unique_ptr<WindowClass> ClassFor(ControlClass cls) {
    switch (cls) {
        case ControlClass::Static:
            return MakeStaticClass();
        case ControlClass::Button:
            return MakeButtonClass();
        case ControlClass::Edit:
            return MakeEditClass();
        case ControlClass::Tab:
            return MakeTabClass();
        case ControlClass::UpDown:
            return MakeUpDownClass();
        case ControlClass::Trackbar:
            return MakeTrackbarClass();
    }
    return MakeStaticClass();
}

std::unique_ptr<CWnd> WrapperFor(ControlClass cls) {
    switch (cls) {
        case ControlClass::Static:
            return std::make_unique<CStatic>();
        case ControlClass::Button:
            return std::make_unique<CButton>();
        case ControlClass::Edit:
            return std::make_unique<CEdit>();
        case ControlClass::Tab:
            return std::make_unique<CTabCtrl>();
        case ControlClass::UpDown:
            return std::make_unique<CSpinButtonCtrl>();
        case ControlClass::Trackbar:
            return std::make_unique<CSliderCtrl>();
    }
    return std::make_unique<CWnd>();
}

// Where a dialog's window goes: the template's place on the screen (or the
// centre with DS_CENTER), moved back onto the screen where it fits.
Rect PlaceDialog(const DialogTemplate& t, int width, int height) {
    int x = DluToPixelsX(t.x);
    int y = DluToPixelsY(t.y);
    if ((t.style & DS_CENTER) != 0) {
        x = (kScreenWidth - width) / 2;
        y = (kScreenHeight - height) / 2;
    }
    x = std::max(0, std::min(x, kScreenWidth - width));
    y = std::max(0, std::min(y, kScreenHeight - height));
    return {x, y, x + width, y + height};
}

}  // namespace

HWND DesktopImpl::ActiveWindow() const {
    return modalStack_.empty() ? nullptr : modalStack_.back();
}

int DesktopImpl::RunModal(CDialog& dialog) {
    if (dialog.m_hWnd != nullptr) {
        return -1;
    }
    const DialogTemplate& t = dialog.template_;

    HWND owner = nullptr;
    if (dialog.m_pParentWnd != nullptr) {
        if (WindowRecord* p = Find(dialog.m_pParentWnd->m_hWnd)) {
            owner = TopLevelOf(p)->hwnd;
        }
    }
    if (owner == nullptr) {
        owner = ActiveWindow();
    }

    const DWORD style = (t.style & ~(WS_VISIBLE | WS_CHILD)) | WS_POPUP;
    const FrameMetrics frame = DialogFrameMetrics(style);
    const int width = DluToPixelsX(t.cx) + 2 * frame.border;
    const int height = DluToPixelsY(t.cy) + 2 * frame.border + frame.caption;
    WindowRecord* w = Create(nullptr, owner, MakeDialogClass(), t.id, style, t.exStyle, t.caption,
                             PlaceDialog(t, width, height));
    const HWND hwnd = w->hwnd;
    Attach(w, &dialog);

    std::vector<WindowRecord*> controls;
    controls.reserve(t.items.size());
    for (const DialogItem& item : t.items) {
        WindowRecord* c =
            Create(w, nullptr, ClassFor(item.cls), item.id, item.style | WS_CHILD | WS_VISIBLE,
                   item.exStyle, item.text, DluRectToPixels(item.x, item.y, item.cx, item.cy));
        c->builtin = WrapperFor(item.cls);
        Attach(c, c->builtin.get());
        controls.push_back(c);
    }
    for (std::size_t i = 0; i < controls.size(); ++i) {
        controls[i]->cls->AfterCreate(*this, *controls[i], i > 0 ? controls[i - 1] : nullptr);
    }
    InitDefaultButton(w, controls);

    bool reenableOwner = false;
    if (WindowRecord* o = Find(owner)) {
        o->savedFocus = focus_;
        if (o->Enabled()) {
            Enable(o, false);
            reenableOwner = true;
        }
    }
    ReleaseCapture();
    captionTrack_ = nullptr;
    modalStack_.push_back(hwnd);
    dialog.result_.reset();

    const LRESULT init = Dispatch(w, WM_INITDIALOG, 0, 0);
    w = Find(hwnd);
    if (w != nullptr && !dialog.result_.has_value() && !quitting) {
        if (init != 0) {
            WindowRecord* first = nullptr;
            for (WindowRecord* c : w->children) {
                if ((c->style & WS_TABSTOP) != 0 && c->Visible() && c->Enabled()) {
                    first = c;
                    break;
                }
            }
            SetFocus(first != nullptr ? first : w);
        } else if (WindowRecord* f = Find(focus_); f == nullptr || TopLevelOf(f) != w) {
            SetFocus(w);
        }
        Show(w, true);
        RunLoop([&] { return dialog.result_.has_value() || quitting || Find(hwnd) == nullptr; });
    }
    const int result = dialog.result_.value_or(-1);

    std::erase(modalStack_, hwnd);
    WindowRecord* o = Find(owner);
    if (reenableOwner && o != nullptr) {
        Enable(o, true);
    }
    if ((w = Find(hwnd)) != nullptr) {
        Destroy(w);
    }
    if (o != nullptr) {
        WindowRecord* saved = Find(o->savedFocus);
        SetFocus(saved != nullptr ? saved : nullptr);
        o->savedFocus = nullptr;
    }
    dialog.result_.reset();
    return result;
}

void DesktopImpl::EndModal(CDialog& dialog, int result) {
    if (dialog.m_hWnd != nullptr && Find(dialog.m_hWnd) != nullptr) {
        dialog.result_ = result;
    }
}

}  // namespace ui::detail
