#include "touch/touch_panel_dlg.h"

#include <cstdlib>
#include <string>

#include "platform/text.h"
#include "ui/dc.h"
#include "ui/messages.h"

using namespace ui;

namespace {

constexpr UINT_PTR kTapTimerId = 1;
constexpr UINT kTapTimerMs = 300;
// A second pen-down closer than this in both axes is a double tap.
constexpr int kTapDistance = 5;

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kGreen = RGB(0, 255, 0);

// The read-outs reach past the right screen edge; the text starts at 295.
constexpr Rect kReadoutX{295, 210, 329, 224};
constexpr Rect kReadoutY{295, 225, 329, 239};

// "%03d", of which only the first three characters are shown, so a negative
// value shows its minus sign and two digits.
std::string Readout(int value) {
    return platform::Format("%03d", value).substr(0, 3);
}

}  // namespace

CTouchPanelDlg::CTouchPanelDlg(CWnd* parent) : CDialog(Template135(), parent) {}

DialogTemplate CTouchPanelDlg::Template135() {
    DialogTemplate t;
    t.id = 135;
    t.style = WS_POPUP;
    t.cx = 162;
    t.cy = 121;
    return t;
}

BOOL CTouchPanelDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_nLastX = -1;
    m_nLastY = -1;
    m_nTapPending = 0;
    m_nTapTimer = 0;
    MoveWindow(0, 0, kScreenWidth, kScreenHeight, TRUE);
    return TRUE;
}

void CTouchPanelDlg::OnPaint() {
    CPaintDC dc(this);
    dc.FillSolidRect(Rect{0, 0, kScreenWidth, kScreenHeight}, kBlack);
}

void CTouchPanelDlg::OnLButtonDown(UINT /*flags*/, Point point) {
    if (m_nTapPending == 1 && std::abs(m_nLastX - point.x) < kTapDistance &&
        std::abs(m_nLastY - point.y) < kTapDistance) {
        KillTimer(m_nTapTimer);
        // Closes once this handler has returned; the rest still runs.
        EndDialog(IDCANCEL);
    }
    // A timer that cannot be set leaves the tap pending: every later tap
    // close by then closes the window, which beats a window no tap can close.
    m_nTapTimer = SetTimer(kTapTimerId, kTapTimerMs);
    m_nTapPending = 1;
    m_nLastX = point.x;
    m_nLastY = point.y;
    SetCapture();
    DrawPoint(point.x, point.y);
    Default();
}

void CTouchPanelDlg::OnLButtonUp(UINT /*flags*/, Point /*point*/) {
    ReleaseCapture();
    Default();
}

void CTouchPanelDlg::OnMouseMove(UINT /*flags*/, Point point) {
    if (m_nLastX >= 0 && m_nLastY >= 0) {
        DrawPoint(point.x, point.y);
    }
    Default();
}

void CTouchPanelDlg::OnTimer(UINT_PTR /*id*/) {
    m_nTapPending = 0;
    KillTimer(m_nTapTimer);
    Default();
}

// The system's double click spans 500 ms, but this window's own 300 ms tap
// timer decides: once it has fired, the second pen-down is one like any
// other (a dot, a new tap pending) and does not close the window.
void CTouchPanelDlg::OnLButtonDblClk(UINT flags, Point point) {
    if (m_nTapPending == 0) {
        OnLButtonDown(flags, point);
        return;
    }
    Default();
    EndDialog(IDCANCEL);
}

void CTouchPanelDlg::DrawPoint(int x, int y) {
    CClientDC dc(this);
    dc.SetPixel(x, y, kWhite);
    m_nLastX = x;
    m_nLastY = y;
    dc.SetBkColor(kBlack);
    dc.SetTextColor(kGreen);
    Rect rx = kReadoutX;
    dc.DrawText(Readout(x), &rx, 0);
    Rect ry = kReadoutY;
    dc.DrawText(Readout(y), &ry, 0);
}
