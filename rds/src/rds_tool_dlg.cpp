#include "rds/rds_tool_dlg.h"

#include "platform/text.h"
#include "ui/message_box.h"

namespace {

using ui::BST_CHECKED;
using ui::BST_UNCHECKED;

// Which controls each mode enables; nothing else changes. The frequency
// edit stays on in seek mode, where it shows what a seek found.
struct EnableEntry {
    int id;
    bool tune;
    bool seek;
};

constexpr EnableEntry kEnableSets[] = {
    {IDC_RDS_FREQUENCY, true, true},        {IDC_RDS_FREQUENCY_SPIN, true, false},
    {IDC_RDS_TUNE_PARAM, true, false},      {IDC_RDS_TUNE_PARAM_SPIN, true, false},
    {IDC_RDS_TUNE_SEND, true, false},       {IDC_RDS_TUNE_TUNED, true, false},
    {IDC_RDS_TUNE_STRENGTH, true, false},   {IDC_RDS_SEEK_UP, false, true},
    {IDC_RDS_SEEK_DOWN, false, true},       {IDC_RDS_SEEK_PARAM, false, true},
    {IDC_RDS_SEEK_PARAM_SPIN, false, true}, {IDC_RDS_SEEK_SEND, false, true},
    {IDC_RDS_SEEK_FOUND, false, true},      {IDC_RDS_SEEK_TUNED, false, true},
};

int Check(bool on) {
    return on ? BST_CHECKED : BST_UNCHECKED;
}

}  // namespace

CRdsToolDlg::CRdsToolDlg(ui::CWnd* parent, RdsSerialPort& port)
    : CDialog(Template103(), parent),
      m_port(port),
      m_pLink(std::make_unique<RdsToolLink>(port, static_cast<RdsToolSink&>(*this))) {
    BindClicked(IDC_RDS_TUNE_SEND, &CRdsToolDlg::OnTuneSend);
    BindClicked(IDC_RDS_SEEK_SEND, &CRdsToolDlg::OnSeekSend);
    BindClicked(IDC_RDS_SHOW_LEVEL, &CRdsToolDlg::OnShowLevel);
    BindClicked(IDC_RDS_SHOW_VERSION, &CRdsToolDlg::OnShowVersion);
    BindClicked(IDC_RDS_MUTE_ON, &CRdsToolDlg::OnMuteOn);
    BindClicked(IDC_RDS_MUTE_OFF, &CRdsToolDlg::OnMuteOff);
    BindClicked(IDC_RDS_TUNE_MODE, &CRdsToolDlg::OnTuneMode);
    BindClicked(IDC_RDS_SEEK_MODE, &CRdsToolDlg::OnSeekMode);
}

CRdsToolDlg::~CRdsToolDlg() {
    // Normally done when the window went; a window that never ran has no
    // thread to wait for.
    CloseLink();
}

void CRdsToolDlg::DoDataExchange(ui::CDataExchange* dx) {
    ui::DDX_Control(dx, IDC_RDS_FREQUENCY, m_editFrequency);
    ui::DDX_Control(dx, IDC_RDS_FREQUENCY_SPIN, m_spinFrequency);
    ui::DDX_Control(dx, IDC_RDS_TUNE_PARAM, m_editTuneParameter);
    ui::DDX_Control(dx, IDC_RDS_TUNE_PARAM_SPIN, m_spinTuneParameter);
    ui::DDX_Control(dx, IDC_RDS_TUNE_SEND, m_btnTuneSend);
    ui::DDX_Control(dx, IDC_RDS_TUNE_TUNED, m_btnTuned);
    ui::DDX_Control(dx, IDC_RDS_TUNE_STRENGTH, m_btnStrength);
    ui::DDX_Control(dx, IDC_RDS_SEEK_UP, m_btnSeekUp);
    ui::DDX_Control(dx, IDC_RDS_SEEK_DOWN, m_btnSeekDown);
    ui::DDX_Control(dx, IDC_RDS_SEEK_PARAM, m_editSeekParameter);
    ui::DDX_Control(dx, IDC_RDS_SEEK_PARAM_SPIN, m_spinSeekParameter);
    ui::DDX_Control(dx, IDC_RDS_SEEK_SEND, m_btnSeekSend);
    ui::DDX_Control(dx, IDC_RDS_SEEK_FOUND, m_btnFound);
    ui::DDX_Control(dx, IDC_RDS_SEEK_TUNED, m_btnSeekTuned);
    ui::DDX_Control(dx, IDC_RDS_SHOW_LEVEL, m_btnShowLevel);
    ui::DDX_Control(dx, IDC_RDS_LEVEL, m_editLevel);
    ui::DDX_Control(dx, IDC_RDS_SHOW_VERSION, m_btnShowVersion);
    ui::DDX_Control(dx, IDC_RDS_VERSION1, m_editVersion[0]);
    ui::DDX_Control(dx, IDC_RDS_VERSION2, m_editVersion[1]);
    ui::DDX_Control(dx, IDC_RDS_VERSION3, m_editVersion[2]);
    ui::DDX_Control(dx, IDC_RDS_PS_NAME, m_editPsName);
    ui::DDX_Control(dx, IDC_RDS_RAW_A, m_editRaw[0]);
    ui::DDX_Control(dx, IDC_RDS_RAW_B, m_editRaw[1]);
    ui::DDX_Control(dx, IDC_RDS_RAW_C, m_editRaw[2]);
    ui::DDX_Control(dx, IDC_RDS_RAW_D, m_editRaw[3]);
    // The frequency lives in the link, shared with the receive thread.
    int frequency = m_pLink ? m_pLink->Frequency() : 0;
    ui::DDX_Text(dx, IDC_RDS_FREQUENCY, frequency);
    ui::DDX_Text(dx, IDC_RDS_TUNE_PARAM, m_nTuneParameter);
    ui::DDX_Text(dx, IDC_RDS_SEEK_PARAM, m_nSeekParameter);
    if (dx->m_bSaveAndValidate && !dx->Failed() && m_pLink) {
        m_pLink->SetFrequency(frequency);
    }
}

ui::BOOL CRdsToolDlg::OnInitDialog() {
    if (!m_pLink) {
        // Run again after a close: every opening starts from construction.
        m_pLink = std::make_unique<RdsToolLink>(m_port, static_cast<RdsToolSink&>(*this));
        m_pReceiveThread = nullptr;
        m_bLinkClosed = false;
        m_nTuneParameter = 0;
        m_nSeekParameter = 0;
    }
    CDialog::OnInitDialog();

    CheckDlgButton(IDC_RDS_TUNE_MODE, BST_CHECKED);
    m_pLink->SetFrequency(kRdsBaseFrequency);
    m_nTuneParameter = 0;
    m_nSeekParameter = 1;
    CheckDlgButton(IDC_RDS_SEEK_UP, BST_CHECKED);
    CheckDlgButton(IDC_RDS_MUTE_OFF, BST_CHECKED);
    m_spinFrequency.SetRange(kRdsBaseFrequency, kRdsTopFrequency);
    m_spinTuneParameter.SetRange(0, 15);
    m_spinSeekParameter.SetRange(1, 3);
    ApplyEnableSet(true);

    // A port that did not open stays as it is: the line set-up and every
    // command then fail quietly on it, and the thread ends at its first wait.
    if (!m_pLink->OpenPort()) {
        ui::AfxMessageBox(kRdsPortNotOpenText, ui::MB_OK);
    }
    m_pLink->ConfigurePort();
    UpdateData(ui::FALSE);

    m_pReceiveThread =
        ui::AfxBeginThread(RdsToolReceiveThread, this, RdsToolLink::kReceiveThreadPriority);
    if (m_pReceiveThread == nullptr) {
        ui::AfxMessageBox(kRdsThreadNotStartedText, ui::MB_OK);
    }
    Send(RdsCommand::MuteOff);
    return ui::TRUE;
}

void CRdsToolDlg::OnOK() {
    // The framework's OK: the edits are read back first, and a text that is
    // no number keeps the window open, its port and thread with it.
    if (UpdateData(ui::TRUE) == ui::FALSE) {
        return;
    }
    CloseLink();
    EndDialog(ui::IDOK);
}

void CRdsToolDlg::OnCancel() {
    CloseLink();
    CDialog::OnCancel();
}

void CRdsToolDlg::OnClose() {
    CloseLink();
    Default();
}

void CRdsToolDlg::OnDestroy() {
    // Ended from outside (the program quitting): the controls still exist
    // here, so the thread's last updates are served before they go.
    CloseLink();
    CDialog::OnDestroy();
}

void CRdsToolDlg::CloseLink() {
    if (m_bLinkClosed || !m_pLink) {
        return;
    }
    m_bLinkClosed = true;
    m_pLink->ClosePort();
    if (m_pReceiveThread != nullptr) {
        ui::WaitForThread(m_pReceiveThread);
        m_pReceiveThread = nullptr;
    }
    m_pLink.reset();
}

void CRdsToolDlg::Send(RdsCommand command) {
    if (m_pLink) {
        m_pLink->Send(command, m_nTuneParameter, m_nSeekParameter,
                      IsDlgButtonChecked(IDC_RDS_SEEK_UP) == BST_CHECKED);
    }
}

void CRdsToolDlg::OnTuneSend() {
    // The positions as the up-downs report them, error word and all; the
    // frame takes the low 8 bits.
    if (m_pLink) {
        m_pLink->SetFrequency(m_spinFrequency.GetPos());
    }
    m_nTuneParameter = m_spinTuneParameter.GetPos();
    Send(RdsCommand::Tune);
}

void CRdsToolDlg::OnSeekSend() {
    m_nSeekParameter = m_spinSeekParameter.GetPos();
    Send(RdsCommand::Seek);
}

void CRdsToolDlg::OnShowLevel() {
    Send(RdsCommand::ShowLevel);
}

void CRdsToolDlg::OnShowVersion() {
    Send(RdsCommand::ShowVersion);
}

void CRdsToolDlg::OnMuteOn() {
    Send(RdsCommand::MuteOn);
}

void CRdsToolDlg::OnMuteOff() {
    Send(RdsCommand::MuteOff);
}

void CRdsToolDlg::OnTuneMode() {
    ApplyEnableSet(true);
}

void CRdsToolDlg::OnSeekMode() {
    ApplyEnableSet(false);
}

void CRdsToolDlg::ApplyEnableSet(bool tuneMode) {
    for (const EnableEntry& entry : kEnableSets) {
        if (ui::CWnd* control = GetDlgItem(entry.id)) {
            control->EnableWindow(tuneMode ? entry.tune : entry.seek);
        }
    }
}

void CRdsToolDlg::SetVersion(int first, int second, int third) {
    m_editVersion[0].SetWindowText(platform::Format("%d", first));
    m_editVersion[1].SetWindowText(platform::Format("%d", second));
    m_editVersion[2].SetWindowText(platform::Format("%d", third));
}

void CRdsToolDlg::SetLevel(int level) {
    m_editLevel.SetWindowText(platform::Format("%d", level));
}

void CRdsToolDlg::SetTuneReply(bool strength, bool tuned) {
    m_btnStrength.SetCheck(Check(strength));
    m_btnTuned.SetCheck(Check(tuned));
}

void CRdsToolDlg::SetSeekReply(bool found, int frequency, bool tuned) {
    m_btnFound.SetCheck(Check(found));
    if (found) {
        m_editFrequency.SetWindowText(platform::Format("%d", frequency));
    }
    m_btnSeekTuned.SetCheck(Check(tuned));
}

void CRdsToolDlg::SetPsName(const std::string& name) {
    m_editPsName.SetWindowText(name);
}

void CRdsToolDlg::SetRawWords(const RdsRawWords& words) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        m_editRaw[i].SetWindowText(words[i]);
    }
}

ui::UINT RdsToolReceiveThread(ui::LPVOID pParam) {
    auto* dlg = static_cast<CRdsToolDlg*>(pParam);
    return dlg->m_pLink->ReceiveLoop();
}
