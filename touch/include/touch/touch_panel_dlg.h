// The touch panel test window: a black full-screen window on which every pen
// contact is plotted as a white dot, with the pen's x and y as three green
// digits in the lower right corner. A double tap closes it.
#pragma once

#include "ui/dialog.h"

class CTouchPanelDlg : public ui::CDialog {
  public:
    explicit CTouchPanelDlg(ui::CWnd* parent = nullptr);

    // Template 135: a popup without caption or border, no controls.
    static ui::DialogTemplate Template135();

    ui::BOOL OnInitDialog() override;

  protected:
    void OnPaint() override;
    void OnLButtonDown(ui::UINT flags, ui::Point point) override;
    void OnLButtonUp(ui::UINT flags, ui::Point point) override;
    void OnMouseMove(ui::UINT flags, ui::Point point) override;
    void OnTimer(ui::UINT_PTR id) override;
    void OnLButtonDblClk(ui::UINT flags, ui::Point point) override;

  private:
    // Plots the point and shows its coordinates; it becomes the last point.
    void DrawPoint(int x, int y);

    // The last point drawn; (-1, -1) until the first pen contact.
    int m_nLastX = -1;
    int m_nLastY = -1;
    // A pen-down less than 300 ms ago: the next one may close the window.
    int m_nTapPending = 0;
    ui::UINT_PTR m_nTapTimer = 0;
};
