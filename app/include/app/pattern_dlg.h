// The "LCD" page's pattern window: one of eight full-screen colour patterns,
// closed by the first pen-up anywhere on the screen.
#pragma once

#include <cstdint>

#include "ui/dc.h"
#include "ui/dialog.h"

// Draws pattern `pattern` (0 to 7: "Red", "Green", "Blue", "White 100%",
// "White 0%", "Color bar", "Gray scale", "Gradation") over the 320 x 240
// screen area of dc; any other number draws nothing.
void DrawPattern(ui::CDC& dc, int pattern);

class CPatternDlg : public ui::CDialog {
  public:
    explicit CPatternDlg(ui::CWnd* parent = nullptr);

    // Template 133.
    static ui::DialogTemplate Template133();

    // Set before the window runs.
    std::int32_t m_nPattern = 0;

  protected:
    ui::BOOL OnInitDialog() override;
    void OnPaint() override;
    void OnLButtonUp(ui::UINT flags, ui::Point point) override;
};
