// Where a user taps the demo dialog: a control's centre, a tab's header.
// Call on the UI thread while the dialog is up.
#pragma once

#include "ui/demo_dialog.h"
#include "ui/desktop.h"
#include "ui/messages.h"
#include "ui/wnd.h"

namespace test_support {

inline ui::Point CentreOf(int id) {
    ui::Desktop* d = ui::Desktop::Current();
    const ui::Rect r = d->Describe(d->FindControl(id))->screenRect;
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

inline ui::Point TabHeader(int index) {
    ui::Desktop* d = ui::Desktop::Current();
    ui::CWnd* tab = d->WndOf(d->FindControl(ui::demo::IDC_TAB));
    ui::Rect header;
    tab->SendMessage(ui::TCM_GETITEMRECT, static_cast<ui::WPARAM>(index),
                     reinterpret_cast<ui::LPARAM>(&header));
    tab->ClientToScreen(&header);
    return {(header.left + header.right) / 2, (header.top + header.bottom) / 2};
}

}  // namespace test_support
