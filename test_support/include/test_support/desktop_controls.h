// A control of the desktop's active window (or its owners) as a test reaches
// it: its description, the centre of its rectangle on the screen, a tap
// there. A control that is not there is a test failure, and the description
// is empty (the centre is 0,0).
#pragma once

#include <gtest/gtest.h>

#include "ui/desktop.h"

namespace test_support {

inline ui::WindowInfo Info(ui::Desktop& desktop, int id) {
    const auto info = desktop.Describe(desktop.FindControl(id));
    EXPECT_TRUE(info.has_value()) << "no control " << id;
    return info.value_or(ui::WindowInfo{});
}

inline ui::Point CenterOf(ui::Desktop& desktop, int id) {
    const ui::Rect r = Info(desktop, id).screenRect;
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

inline void TapControl(ui::Desktop& desktop, int id) {
    const ui::Point p = CenterOf(desktop, id);
    desktop.Tap(p.x, p.y);
}

}  // namespace test_support
