// Construction, the wiring of every control to its handler, and the data
// exchange.
#include "app/console_dlg.h"

#include "app/console_ids.h"
#include "audio/tone_player.h"
#include "ui/app.h"

using namespace console_id;

namespace {

constexpr ui::UINT kIconId = 128;

}  // namespace

CConsoleDlg::CConsoleDlg(ui::CWnd* parent) : ui::CDialog(Template102(), parent) {
    const ui::CWinApp* app = ui::AfxGetApp();
    m_hIcon = app != nullptr ? app->LoadIcon(kIconId) : ui::HICON{kIconId};

    BindNotify(kTab, ui::TCN_SELCHANGE, &CConsoleDlg::OnTabSelChange);
    BindClicked(kShipInit, &CConsoleDlg::InitializeForShipping);
    BindClicked(kDiagExec, &CConsoleDlg::OnDiagExec);
    BindClicked(kMuteOff, &CConsoleDlg::OnMuteOff);
    BindClicked(kMuteOn, &CConsoleDlg::OnMuteOn);
    BindClicked(kTouchTest, &CConsoleDlg::OnTouchPanelTest);
    BindClicked(kCalibration, &CConsoleDlg::OnStartCalibrationRequest);
    BindClicked(kLcdExec, &CConsoleDlg::OnLcdExec);
    BindNotify(kDutySpin, ui::UDN_DELTAPOS, &CConsoleDlg::OnDutyDeltaPos);
    BindClicked(kPlay, &CConsoleDlg::OnPlay);
    BindClicked(kStop, &CConsoleDlg::OnStop);
    BindClicked(kRdsTool, &CConsoleDlg::OnRdsTool);
    BindClicked(kGpsInfo, &CConsoleDlg::OnGpsInformation);
}

// Members go in reverse order: the key check window first (it gives the
// power key's interrupt back), then the tone generator, then the wrappers.
// The player reads the wave buffer while it plays: stop it before the tone
// generator releases the buffer.
CConsoleDlg::~CConsoleDlg() {
    StopTone();
}

void CConsoleDlg::DoDataExchange(ui::CDataExchange* dx) {
    ui::CDialog::DoDataExchange(dx);
    ui::DDX_Control(dx, kSerialLabel, m_staticSerial);
    ui::DDX_Control(dx, kFactoryCode, m_editFactoryCode);
    ui::DDX_Control(dx, kFirmwareLabel, m_staticFirmware);
    ui::DDX_Control(dx, kSystemVersion, m_editSystemVersion);
    ui::DDX_Control(dx, kNaviLabel, m_staticNavi);
    ui::DDX_Control(dx, kNaviFiles, m_editNaviFiles);
    ui::DDX_Control(dx, kShipLabel, m_staticShip);
    ui::DDX_Control(dx, kShipInit, m_btnInit);
    ui::DDX_Control(dx, kDiagGroup, m_groupDiag);
    ui::DDX_Control(dx, kDiagExec, m_btnDiagExec);
    ui::DDX_Control(dx, kMutingGroup, m_groupMuting);
    ui::DDX_Control(dx, kBatteryLabel, m_staticBattery);
    ui::DDX_Control(dx, kBattery, m_editBattery);
    ui::DDX_Control(dx, kMillivoltLabel, m_staticMillivolt);
    ui::DDX_Control(dx, kTouchTest, m_btnTouchTest);
    ui::DDX_Control(dx, kCalibration, m_btnCalibration);
    ui::DDX_Control(dx, kLcdGroup, m_groupLcd);
    ui::DDX_Control(dx, kLcdExec, m_btnLcdExec);
    ui::DDX_Control(dx, kDutyLabel, m_staticDuty);
    ui::DDX_Control(dx, kDuty, m_editDuty);
    ui::DDX_Control(dx, kDutySpin, m_spinDuty);
    ui::DDX_Text(dx, kDuty, m_nDuty);
    ui::DDX_Control(dx, kPhotoLabel, m_staticPhoto);
    ui::DDX_Control(dx, kPhoto, m_editPhoto);
    ui::DDX_Control(dx, kSineGroup, m_groupSine);
    ui::DDX_Control(dx, kPlay, m_btnPlay);
    ui::DDX_Control(dx, kStop, m_btnStop);
    ui::DDX_Control(dx, kVolumeLabel, m_staticVolume);
    ui::DDX_Control(dx, kVolume, m_sliderVolume);
    ui::DDX_Control(dx, kMaxLabel, m_staticMax);
    ui::DDX_Control(dx, kMinLabel, m_staticMin);
    ui::DDX_Control(dx, kRdsTool, m_btnRdsTool);
    ui::DDX_Control(dx, kGpsInfo, m_btnGpsInfo);
    ui::DDX_Control(dx, kTab, m_tab);
}
