// Default push buttons, as the Windows dialog manager keeps them: a push
// button that takes the focus looks like the default one and Enter clicks
// it; with the focus anywhere else in the dialog, the dialog's default push
// button (the template's DEFPUSHBUTTON, or DM_SETDEFID's) has the look and
// Enter clicks it; without one Enter is IDOK.
#include <string_view>

#include "desktop_impl.h"

namespace ui::detail {

namespace {

bool IsDialog(const WindowRecord* w) {
    return w != nullptr && std::string_view(w->cls->Name()) == "Dialog";
}

UINT DlgCodeOf(const WindowRecord* w) {
    return w->cls->DlgCode(*w);
}

bool IsPushButton(const WindowRecord* w) {
    return w != nullptr && (DlgCodeOf(w) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
}

}  // namespace

void DesktopImpl::InitDefaultButton(WindowRecord* dialog,
                                    const std::vector<WindowRecord*>& controls) {
    WindowRecord* last = nullptr;
    for (WindowRecord* c : controls) {
        if ((DlgCodeOf(c) & DLGC_DEFPUSHBUTTON) != 0) {
            last = c;
        }
    }
    dialog->defaultId = last != nullptr ? last->id : 0;
    ShowDefaultLookOn(dialog, last);
}

int DesktopImpl::DefaultButtonId(const WindowRecord* dialog) const {
    if (dialog->defaultId != 0) {
        return dialog->defaultId;
    }
    for (const WindowRecord* c : dialog->children) {
        if ((DlgCodeOf(c) & DLGC_DEFPUSHBUTTON) != 0) {
            return c->id;
        }
    }
    return 0;
}

bool DesktopImpl::SetDefaultButton(WindowRecord* dialog, int id) {
    dialog->defaultId = id;
    WindowRecord* button = ChildById(dialog, id);
    if (button != nullptr && !IsPushButton(button)) {
        return false;
    }
    ShowDefaultLookOn(dialog, button);
    return true;
}

void DesktopImpl::MoveDefaultLook(WindowRecord* focus) {
    WindowRecord* dialog = TopLevelOf(focus);
    if (!IsDialog(dialog)) {
        return;
    }
    WindowRecord* button = focus != dialog && IsPushButton(focus) ? focus : nullptr;
    if (button == nullptr) {
        button = ChildById(dialog, dialog->defaultId);
        button = IsPushButton(button) ? button : nullptr;
    }
    ShowDefaultLookOn(dialog, button);
}

void DesktopImpl::ShowDefaultLookOn(WindowRecord* dialog, WindowRecord* button) {
    // BM_SETSTYLE, as the dialog manager sends it, keeps a button's other
    // style bits.
    const auto setType = [this](HWND hwnd, DWORD type) {
        if (WindowRecord* w = Find(hwnd); w != nullptr && (w->style & BS_TYPEMASK) != type) {
            Send(hwnd, BM_SETSTYLE, ((w->style & 0xFFFFU) & ~BS_TYPEMASK) | type, TRUE);
        }
    };
    std::vector<HWND> others;
    for (const WindowRecord* c : dialog->children) {
        if (c != button && (DlgCodeOf(c) & DLGC_DEFPUSHBUTTON) != 0) {
            others.push_back(c->hwnd);
        }
    }
    for (const HWND hwnd : others) {
        setType(hwnd, BS_PUSHBUTTON);
    }
    if (button != nullptr && (DlgCodeOf(button) & DLGC_UNDEFPUSHBUTTON) != 0) {
        setType(button->hwnd, BS_DEFPUSHBUTTON);
    }
}

void DesktopImpl::PressEnter(WindowRecord* dialog) {
    const HWND dialogHwnd = dialog->hwnd;
    if (WindowRecord* f = Find(focus_); f != nullptr && f != dialog && TopLevelOf(f) == dialog &&
                                        EffectivelyVisible(f) && EffectivelyEnabled(f) &&
                                        (DlgCodeOf(f) & DLGC_DEFPUSHBUTTON) != 0) {
        Send(dialogHwnd, WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(f->id), BN_CLICKED),
             reinterpret_cast<LPARAM>(f->hwnd));
        return;
    }
    if (const int id = DefaultButtonId(dialog); id != 0) {
        // A disabled default button takes Enter and does nothing.
        const WindowRecord* button = ChildById(dialog, id);
        if (button == nullptr || button->Enabled()) {
            Send(dialogHwnd, WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(id), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button != nullptr ? button->hwnd : nullptr));
        }
        return;
    }
    Send(dialogHwnd, WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(IDOK), BN_CLICKED), 0);
}

}  // namespace ui::detail
