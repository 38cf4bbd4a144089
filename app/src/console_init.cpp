// The console's start-up sequence.
#include <array>

#include "app/console_dlg.h"
#include "app/console_ids.h"
#include "devices/log1.h"
#include "platform/api.h"
#include "touch/calibration_file.h"

using namespace console_id;

namespace {

// Stops the unit's logging; each failure is a debug line and the start-up
// goes on.
void SwitchLoggingOff() {
    const platform::HANDLE log =
        platform::CreateFile(kLogDeviceName, platform::GENERIC_READ | platform::GENERIC_WRITE, 0,
                             platform::OPEN_EXISTING, 0);
    if (log == platform::INVALID_HANDLE_VALUE) {
        platform::NKDbgPrintf("LOG:CreateFile failed!\r\n");
        return;
    }
    if (platform::DeviceIoControl(log, VESK_LOG_IOCTL_LOGGING_DISABLE, nullptr, 0, nullptr, 0,
                                  nullptr) == platform::FALSE) {
        platform::NKDbgPrintf("LOG:VESK_LOG_IOCTL_LOGGING_DISABLE failed!\r\n");
    }
    if (platform::CloseHandle(log) == platform::FALSE) {
        platform::NKDbgPrintf("LOG:CloseHandle failed!\r\n");
    }
}

}  // namespace

ui::BOOL CConsoleDlg::OnInitDialog() {
    ui::CDialog::OnInitDialog();

    SetIcon(m_hIcon, ui::TRUE);
    SetIcon(m_hIcon, ui::FALSE);
    MoveWindow(0, 0, ui::kScreenWidth, ui::kScreenHeight);

    SwitchLoggingOff();

    if (SetTimer(kStatusTimer, 500) == 0) {
        platform::NKDbgPrintf("SetTimer failed!::OnInitDialog\r\n");
        return ui::TRUE;
    }

    FillVersionPage();
    SetUpBacklight();

    static constexpr std::array<const char*, 7> kPages = {"Ver", "Ship",  "Diag",   "TouchPanel",
                                                          "LCD", "Audio", "RDS/GPS"};
    for (std::size_t i = 0; i < kPages.size(); ++i) {
        m_tab.InsertItem(static_cast<int>(i), kPages[i]);
    }
    m_tab.SetCurSel(kPageVer);

    const auto radio = [this](int id) { return static_cast<ui::CButton*>(GetDlgItem(id)); };
    m_pRadioNor = radio(kDiagNor);
    m_pRadioRds = radio(kDiagRds);
    m_pRadioGps = radio(kDiagGps);
    m_pRadioKey = radio(kDiagKey);
    m_pRadioStorage = radio(kDiagStorage);
    m_pRadioMuteOff = radio(kMuteOff);
    m_pRadioMuteOn = radio(kMuteOn);
    for (int i = 0; i < kPatternCount; ++i) {
        m_pRadioPattern[static_cast<std::size_t>(i)] = radio(kPatternFirst + i);
    }
    for (int i = 0; i < kToneCount; ++i) {
        m_pRadioTone[static_cast<std::size_t>(i)] = radio(kToneFirst + i);
    }

    LayoutPages();

    m_pRadioNor->SetCheck(ui::BST_CHECKED);
    m_pRadioPattern[0]->SetCheck(ui::BST_CHECKED);
    m_pRadioTone[0]->SetCheck(ui::BST_CHECKED);
    if (m_radioMute.GetLevel() != 0) {
        m_pRadioMuteOn->SetCheck(ui::BST_CHECKED);
    } else {
        m_pRadioMuteOff->SetCheck(ui::BST_CHECKED);
    }

    m_sliderVolume.SetRange(0, 10, ui::FALSE);
    m_sliderVolume.SetTicFreq(1);
    m_sliderVolume.SetPageSize(1);
    m_sliderVolume.SetLineSize(1);
    ResetVolume();

    ShowVerPage(ui::SW_HIDE);
    ShowShipPage(ui::SW_HIDE);
    ShowDiagPage(ui::SW_HIDE);
    ShowTouchPanelPage(ui::SW_HIDE);
    ShowLcdPage(ui::SW_HIDE);
    ShowAudioPage(ui::SW_HIDE);
    ShowRdsGpsPage(ui::SW_HIDE);
    ShowVerPage(ui::SW_SHOW);

    UpdateData(ui::FALSE);

    if (!CalibrationFileExists()) {
        StartCalibration();
    }
    return ui::TRUE;
}
