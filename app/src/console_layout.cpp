// Page layout and switching. The template keeps the pages side by side; at
// start-up each page is moved onto the tab's area. Offsets are taken from
// screen rectangles, so every control keeps its distance from its group box
// whatever the pixel size of a dialog unit.
#include "app/console_dlg.h"
#include "app/console_ids.h"

using namespace console_id;

void CConsoleDlg::ShiftControl(ui::CWnd* control) {
    ui::Rect r;
    control->GetWindowRect(&r);
    control->MoveWindow(r.left - m_ptShift.x, r.top - m_ptShift.y, r.Width(), r.Height(), ui::TRUE);
}

void CConsoleDlg::PlaceAtBottom(ui::CWnd* control, int x, int y) {
    ui::Rect r;
    control->GetWindowRect(&r);
    control->SetWindowPos(&ui::CWnd::wndBottom, x, y, r.Width(), r.Height(), ui::SWP_SHOWWINDOW);
}

void CConsoleDlg::LayoutPages() {
    ui::Rect r;

    // "Ver"
    m_staticSerial.MoveWindow(5, 25, 30, 12);
    m_editFactoryCode.MoveWindow(40, 25, 265, 20);
    m_staticFirmware.MoveWindow(5, 50, 30, 12);
    m_editSystemVersion.MoveWindow(40, 50, 265, 50);
    m_staticNavi.MoveWindow(5, 105, 30, 12);
    m_editNaviFiles.MoveWindow(40, 105, 265, 100);

    // "Ship"
    m_staticShip.GetWindowRect(&r);
    m_ptShift = {r.left - 50, r.top - 50};
    PlaceAtBottom(&m_staticShip, 50, 50);
    ShiftControl(&m_btnInit);

    // "TouchPanel"
    m_btnTouchTest.MoveWindow(50, 50, 150, 30);
    m_btnCalibration.MoveWindow(50, 100, 150, 30);

    // "Diag"
    m_groupDiag.GetWindowRect(&r);
    m_ptShift = {r.left - 20, r.top - 25};
    PlaceAtBottom(&m_groupDiag, 20, 25);
    for (ui::CWnd* c :
         {static_cast<ui::CWnd*>(m_pRadioNor), static_cast<ui::CWnd*>(m_pRadioRds),
          static_cast<ui::CWnd*>(m_pRadioGps), static_cast<ui::CWnd*>(m_pRadioKey),
          static_cast<ui::CWnd*>(m_pRadioStorage), static_cast<ui::CWnd*>(&m_btnDiagExec)}) {
        ShiftControl(c);
    }
    m_groupMuting.GetWindowRect(&r);
    PlaceAtBottom(&m_groupMuting, r.left - m_ptShift.x, r.top - m_ptShift.y);
    for (ui::CWnd* c :
         {static_cast<ui::CWnd*>(m_pRadioMuteOff), static_cast<ui::CWnd*>(m_pRadioMuteOn),
          static_cast<ui::CWnd*>(&m_staticBattery), static_cast<ui::CWnd*>(&m_editBattery),
          static_cast<ui::CWnd*>(&m_staticMillivolt)}) {
        ShiftControl(c);
    }

    // "LCD"
    m_groupLcd.GetWindowRect(&r);
    m_ptShift = {r.left - 20, r.top - 25};
    PlaceAtBottom(&m_groupLcd, 20, 25);
    for (ui::CButton* radio : m_pRadioPattern) {
        ShiftControl(radio);
    }
    for (ui::CWnd* c :
         {static_cast<ui::CWnd*>(&m_btnLcdExec), static_cast<ui::CWnd*>(&m_staticDuty),
          static_cast<ui::CWnd*>(&m_spinDuty), static_cast<ui::CWnd*>(&m_editDuty),
          static_cast<ui::CWnd*>(&m_staticPhoto), static_cast<ui::CWnd*>(&m_editPhoto)}) {
        ShiftControl(c);
    }

    // "Audio"
    m_groupSine.GetWindowRect(&r);
    m_ptShift = {r.left - 20, r.top - 25};
    PlaceAtBottom(&m_groupSine, 20, 25);
    for (ui::CButton* radio : m_pRadioTone) {
        ShiftControl(radio);
    }
    for (ui::CWnd* c :
         {static_cast<ui::CWnd*>(&m_btnPlay), static_cast<ui::CWnd*>(&m_btnStop),
          static_cast<ui::CWnd*>(&m_sliderVolume), static_cast<ui::CWnd*>(&m_staticVolume),
          static_cast<ui::CWnd*>(&m_staticMin), static_cast<ui::CWnd*>(&m_staticMax)}) {
        ShiftControl(c);
    }

    // "RDS/GPS"
    m_btnRdsTool.MoveWindow(50, 50, 150, 30);
    m_btnGpsInfo.MoveWindow(50, 100, 150, 30);

    m_tab.SetWindowPos(&ui::CWnd::wndBottom, 0, 0, 319, 215, ui::SWP_SHOWWINDOW);
}

void CConsoleDlg::ShowVerPage(int cmd) {
    m_staticSerial.ShowWindow(cmd);
    m_editFactoryCode.ShowWindow(cmd);
    m_staticFirmware.ShowWindow(cmd);
    m_editSystemVersion.ShowWindow(cmd);
    m_staticNavi.ShowWindow(cmd);
    m_editNaviFiles.ShowWindow(cmd);
}

void CConsoleDlg::ShowShipPage(int cmd) {
    m_staticShip.ShowWindow(cmd);
    m_btnInit.ShowWindow(cmd);
}

void CConsoleDlg::ShowDiagPage(int cmd) {
    m_groupDiag.ShowWindow(cmd);
    for (ui::CButton* radio : {m_pRadioNor, m_pRadioRds, m_pRadioGps, m_pRadioKey, m_pRadioStorage,
                               m_pRadioMuteOff, m_pRadioMuteOn}) {
        radio->ShowWindow(cmd);
    }
    m_btnDiagExec.ShowWindow(cmd);
    m_groupMuting.ShowWindow(cmd);
    m_staticBattery.ShowWindow(cmd);
    m_editBattery.ShowWindow(cmd);
    m_staticMillivolt.ShowWindow(cmd);
}

void CConsoleDlg::ShowTouchPanelPage(int cmd) {
    m_btnTouchTest.ShowWindow(cmd);
    m_btnCalibration.ShowWindow(cmd);
}

void CConsoleDlg::ShowLcdPage(int cmd) {
    m_groupLcd.ShowWindow(cmd);
    for (ui::CButton* radio : m_pRadioPattern) {
        radio->ShowWindow(cmd);
    }
    m_btnLcdExec.ShowWindow(cmd);
    m_staticDuty.ShowWindow(cmd);
    m_editDuty.ShowWindow(cmd);
    m_spinDuty.ShowWindow(cmd);
    m_staticPhoto.ShowWindow(cmd);
    m_editPhoto.ShowWindow(cmd);
}

void CConsoleDlg::ShowAudioPage(int cmd) {
    m_groupSine.ShowWindow(cmd);
    for (ui::CButton* radio : m_pRadioTone) {
        radio->ShowWindow(cmd);
    }
    m_btnPlay.ShowWindow(cmd);
    m_btnStop.ShowWindow(cmd);
    m_staticVolume.ShowWindow(cmd);
    m_sliderVolume.ShowWindow(cmd);
    m_staticMax.ShowWindow(cmd);
    m_staticMin.ShowWindow(cmd);
    if (cmd != ui::SW_HIDE) {
        ReadBackVolume();
    }
}

void CConsoleDlg::ShowRdsGpsPage(int cmd) {
    m_btnRdsTool.ShowWindow(cmd);
    m_btnGpsInfo.ShowWindow(cmd);
}

// The order in which the tab change hides the pages.
void CConsoleDlg::HideAllPages() {
    ShowVerPage(ui::SW_HIDE);
    ShowShipPage(ui::SW_HIDE);
    ShowTouchPanelPage(ui::SW_HIDE);
    ShowDiagPage(ui::SW_HIDE);
    ShowLcdPage(ui::SW_HIDE);
    ShowAudioPage(ui::SW_HIDE);
    ShowRdsGpsPage(ui::SW_HIDE);
}

void CConsoleDlg::OnTabSelChange(ui::NMHDR* /*header*/, ui::LRESULT* result) {
    const int page = m_tab.GetCurSel();
    HideAllPages();
    switch (page) {
        case kPageVer:
            ShowVerPage(ui::SW_SHOW);
            break;
        case kPageShip:
            ShowShipPage(ui::SW_SHOW);
            break;
        case kPageDiag:
            ShowDiagPage(ui::SW_SHOW);
            break;
        case kPageTouchPanel:
            ShowTouchPanelPage(ui::SW_SHOW);
            break;
        case kPageLcd:
            ShowLcdPage(ui::SW_SHOW);
            break;
        case kPageAudio:
            // Every visit starts at the default volume.
            ResetVolume();
            ShowAudioPage(ui::SW_SHOW);
            break;
        case kPageRdsGps:
            ShowRdsGpsPage(ui::SW_SHOW);
            break;
        default:
            break;
    }
    *result = 0;
}
