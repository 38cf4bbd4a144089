#include "ui_fixture.h"

namespace ui::test {
namespace {

TEST_F(UiTest, ModalDialogRunsUntilEndDialog) {
    DialogTemplate t = BasicTemplate();
    t.items.push_back(PushButton(1001, "Go", 10, 10, 40, 14));
    TestDialog dlg(t);
    bool clicked = false;
    dlg.BindClicked(1001, [&] {
        clicked = true;
        dlg.EndDialog(7);
    });
    StepTap(1001);
    EXPECT_EQ(dlg.DoModal(), 7);
    EXPECT_TRUE(clicked);
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_TRUE(desktop.TopLevelWindows().empty());
}

}  // namespace
}  // namespace ui::test
