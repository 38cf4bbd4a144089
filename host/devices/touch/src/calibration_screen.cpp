#include "calibration_screen.h"

#include <cstdlib>
#include <string>

#include "ui/dc.h"

namespace host::touch {

namespace {

constexpr ui::COLORREF kBackground = ui::RGB(255, 255, 255);
constexpr ui::COLORREF kInk = ui::RGB(0, 0, 0);
constexpr int kArm = 10;  // crosshair arm length, pixels

ui::DialogTemplate ScreenTemplate() {
    ui::DialogTemplate t;
    t.style = ui::WS_POPUP;
    t.cx = 213;  // about the screen in dialog units; OnInitDialog makes it exact
    t.cy = 147;
    return t;
}

}  // namespace

CalibrationScreen::CalibrationScreen() : CDialog(ScreenTemplate()) {}

ui::BOOL CalibrationScreen::OnInitDialog() {
    CDialog::OnInitDialog();
    MoveWindow(0, 0, ui::kScreenWidth, ui::kScreenHeight, ui::TRUE);
    return ui::TRUE;
}

void CalibrationScreen::OnPaint() {
    ui::CPaintDC dc(this);
    dc.FillSolidRect(ui::Rect{0, 0, ui::kScreenWidth, ui::kScreenHeight}, kBackground);
    dc.SetBkMode(ui::TRANSPARENT);
    dc.SetTextColor(kInk);
    ui::Rect text{0, 60, ui::kScreenWidth, 100};
    dc.DrawText("Tap the centre of the cross.\nEsc cancels.", &text, ui::DT_CENTER);
    if (taken_ >= kCrosshairs.size()) {
        return;
    }
    const ui::Point c = kCrosshairs[taken_];
    dc.FillSolidRect(ui::Rect{c.x - kArm, c.y, c.x + kArm + 1, c.y + 1}, kInk);
    dc.FillSolidRect(ui::Rect{c.x, c.y - kArm, c.x + 1, c.y + kArm + 1}, kInk);
    ui::Rect step{0, 150, ui::kScreenWidth, 170};
    dc.DrawText(std::to_string(taken_ + 1) + " / " + std::to_string(kCrosshairs.size()), &step,
                ui::DT_CENTER);
}

void CalibrationScreen::OnLButtonDown(ui::UINT /*flags*/, ui::Point point) {
    Take(point);
}

void CalibrationScreen::OnLButtonDblClk(ui::UINT /*flags*/, ui::Point point) {
    Take(point);
}

void CalibrationScreen::Take(ui::Point point) {
    if (taken_ >= kCrosshairs.size()) {
        return;
    }
    const ui::Point target = kCrosshairs[taken_];
    if (std::abs(point.x - target.x) > kCrosshairReach ||
        std::abs(point.y - target.y) > kCrosshairReach) {
        return;
    }
    taps_[taken_] = point;
    ++taken_;
    if (taken_ == kCrosshairs.size()) {
        EndDialog(ui::IDOK);
        return;
    }
    Invalidate();
}

}  // namespace host::touch
