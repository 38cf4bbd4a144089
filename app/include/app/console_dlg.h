// The console window: one full-screen modal dialog whose seven tab pages
// group the unit's tests. The handlers of every page are its methods; each
// page's handlers live in a source file of their own (console_*.cpp).
#pragma once

#include <array>
#include <cstdint>

#include "app/backlight_alerts.h"
#include "audio/radio_mute_device.h"
#include "audio/tone_generator.h"
#include "diag/key_check_dlg.h"
#include "platform/win_types.h"
#include "ui/controls.h"
#include "ui/dialog.h"

class CConsoleDlg : public ui::CDialog {
  public:
    explicit CConsoleDlg(ui::CWnd* parent = nullptr);
    ~CConsoleDlg() override;

    CConsoleDlg(const CConsoleDlg&) = delete;
    CConsoleDlg& operator=(const CConsoleDlg&) = delete;

    // Template 102.
    static ui::DialogTemplate Template102();

  protected:
    void DoDataExchange(ui::CDataExchange* dx) override;
    ui::BOOL OnInitDialog() override;
    void OnOK() override;
    void OnClose() override;
    void OnTimer(ui::UINT_PTR id) override;
    void OnVScroll(ui::UINT code, ui::UINT pos, ui::CWnd* bar) override;

  private:
    // Page layout and switching (console_layout.cpp).
    void LayoutPages();
    void ShiftControl(ui::CWnd* control);
    void PlaceAtBottom(ui::CWnd* control, int x, int y);
    void ShowVerPage(int cmd);
    void ShowShipPage(int cmd);
    void ShowDiagPage(int cmd);
    void ShowTouchPanelPage(int cmd);
    void ShowLcdPage(int cmd);
    void ShowAudioPage(int cmd);
    void ShowRdsGpsPage(int cmd);
    void HideAllPages();
    void OnTabSelChange(ui::NMHDR* header, ui::LRESULT* result);

    // Status read-out, timer 1 (console_status.cpp).
    void RefreshStatus();

    // "Ver" page (console_version.cpp).
    void FillVersionPage();

    // "Ship" page (console_ship.cpp).
    void InitializeForShipping();

    // "Diag" page (console_diag.cpp): the runner and the muting radios.
    void OnDiagExec();
    void OnMuteOff();
    void OnMuteOn();

    // "TouchPanel" page and the calibration wait (console_touch.cpp).
    void OnTouchPanelTest();
    void OnStartCalibrationRequest();
    void StartCalibration();
    void CalibrationWait();

    // "LCD" page (console_display.cpp).
    void SetUpBacklight();
    void OnLcdExec();
    void OnDutyDeltaPos(ui::NMHDR* header, ui::LRESULT* result);
    platform::HANDLE OpenBacklight();
    int GetDutyMax();
    int GetDuty();
    ui::BOOL SetDuty(int value);
    int GetPhotoLevel();

    // "Audio" page (console_audio.cpp).
    void OnPlay();
    void OnStop();
    void OnVolumeScroll();
    void ResetVolume();
    ui::BOOL ApplyVolume();
    void ReadBackVolume();

    // "RDS/GPS" page (console_rds.cpp, console_gps.cpp).
    void OnRdsTool();
    void OnGpsInformation();

    // Control wrappers, in template order ("Ver", "Ship", "Diag", "TouchPanel",
    // "LCD", "Audio", "RDS/GPS", tab); radio buttons are reached by pointer.
    ui::CStatic m_staticSerial;      // 1057
    ui::CEdit m_editFactoryCode;     // 1009
    ui::CStatic m_staticFirmware;    // 1044
    ui::CEdit m_editSystemVersion;   // 1002
    ui::CStatic m_staticNavi;        // 1045
    ui::CEdit m_editNaviFiles;       // 1003
    ui::CStatic m_staticShip;        // 1100
    ui::CButton m_btnInit;           // 1101
    ui::CButton m_groupDiag;         // 1008
    ui::CButton m_btnDiagExec;       // 1004
    ui::CButton m_groupMuting;       // 1059
    ui::CStatic m_staticBattery;     // 1050
    ui::CEdit m_editBattery;         // 1051
    ui::CStatic m_staticMillivolt;   // 1052
    ui::CButton m_btnTouchTest;      // 1046
    ui::CButton m_btnCalibration;    // 1096
    ui::CButton m_groupLcd;          // 1022
    ui::CButton m_btnLcdExec;        // 1005
    ui::CStatic m_staticDuty;        // 1035
    ui::CEdit m_editDuty;            // 1032
    ui::CSpinButtonCtrl m_spinDuty;  // 1031
    int m_nDuty = 0;
    ui::CStatic m_staticPhoto;       // 1034
    ui::CEdit m_editPhoto;           // 1033
    ui::CButton m_groupSine;         // 1036
    ui::CButton m_btnPlay;           // 1006
    ui::CButton m_btnStop;           // 1007
    ui::CStatic m_staticVolume;      // 1054
    ui::CSliderCtrl m_sliderVolume;  // 1053
    ui::CStatic m_staticMax;         // 1055
    ui::CStatic m_staticMin;         // 1056
    ui::CButton m_btnRdsTool;        // 1047
    ui::CButton m_btnGpsInfo;        // 1058
    ui::CTabCtrl m_tab;              // 1000

    // Radio buttons, fetched by id at start.
    ui::CButton* m_pRadioNor = nullptr;             // 1010
    ui::CButton* m_pRadioRds = nullptr;             // 1017
    ui::CButton* m_pRadioGps = nullptr;             // 1018
    ui::CButton* m_pRadioKey = nullptr;             // 1019
    ui::CButton* m_pRadioStorage = nullptr;         // 1021
    ui::CButton* m_pRadioMuteOff = nullptr;         // 1020
    ui::CButton* m_pRadioMuteOn = nullptr;          // 1016
    std::array<ui::CButton*, 8> m_pRadioPattern{};  // 1023 .. 1030
    std::array<ui::CButton*, 7> m_pRadioTone{};     // 1037 .. 1043

    ui::HICON m_hIcon = 0;
    ui::Point m_ptShift;
    int m_nDutyMax = 1;
    int m_nDutyMin = 0;
    platform::HANDLE m_hBacklight = platform::INVALID_HANDLE_VALUE;
    BacklightAlerts m_backlightAlerts;  // console_display.cpp, console_status.cpp
    RadioMuteDevice m_radioMute;
    std::int32_t m_nCalibTick = 0;
    CToneGenerator m_toneGenerator;
    std::uint16_t m_wVolume = 0x9999;
    CKeyCheckDlg m_keyCheckDlg;
};
