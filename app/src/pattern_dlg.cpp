#include "app/pattern_dlg.h"

#include <array>

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

// Colour bar: white, yellow, cyan, green, magenta, red, blue, black.
constexpr std::array<ui::COLORREF, 8> kColorBars = {
    ui::RGB(255, 255, 255), ui::RGB(255, 255, 0), ui::RGB(0, 255, 255), ui::RGB(0, 255, 0),
    ui::RGB(255, 0, 255),   ui::RGB(255, 0, 0),   ui::RGB(0, 0, 255),   ui::RGB(0, 0, 0),
};

constexpr int kSteps = 16;
constexpr int kStepLevel = 17;  // 16 steps from 0 to 255

}  // namespace

void DrawPattern(ui::CDC& dc, int pattern) {
    const auto solid = [&dc](ui::COLORREF c) { dc.FillSolidRect(0, 0, kWidth, kHeight, c); };
    switch (pattern) {
        case 0:
            solid(ui::RGB(255, 0, 0));
            break;
        case 1:
            solid(ui::RGB(0, 255, 0));
            break;
        case 2:
            solid(ui::RGB(0, 0, 255));
            break;
        case 3:
            solid(ui::RGB(255, 255, 255));
            break;
        case 4:
            solid(ui::RGB(0, 0, 0));
            break;
        case 5: {
            const int width = kWidth / static_cast<int>(kColorBars.size());
            for (std::size_t i = 0; i < kColorBars.size(); ++i) {
                const int x = width * static_cast<int>(i);
                dc.FillSolidRect(ui::Rect{x, 0, x + width, kHeight}, kColorBars[i]);
            }
            break;
        }
        case 6:
        case 7: {
            const int width = kWidth / kSteps;
            for (int i = 0; i < kSteps; ++i) {
                const int level = kStepLevel * i;
                const ui::COLORREF c =
                    pattern == 6 ? ui::RGB(level, level, level) : ui::RGB(0, 0, level);
                dc.FillSolidRect(ui::Rect{width * i, 0, width * (i + 1), kHeight}, c);
            }
            break;
        }
        default:
            break;
    }
}

CPatternDlg::CPatternDlg(ui::CWnd* parent) : ui::CDialog(Template133(), parent) {}

ui::DialogTemplate CPatternDlg::Template133() {
    ui::DialogTemplate t;
    t.id = 133;
    t.style = ui::WS_POPUP;
    t.cx = 124;
    t.cy = 57;
    return t;
}

ui::BOOL CPatternDlg::OnInitDialog() {
    ui::CDialog::OnInitDialog();
    MoveWindow(0, 0, kWidth, kHeight, ui::TRUE);
    return ui::TRUE;
}

void CPatternDlg::OnPaint() {
    ui::CPaintDC dc(this);
    DrawPattern(dc, m_nPattern);
}

void CPatternDlg::OnLButtonUp(ui::UINT flags, ui::Point point) {
    ui::CDialog::OnLButtonUp(flags, point);
    EndDialog(0);
}
