// The RDS tool: the technician's direct line to the tuner module. It tunes,
// seeks, asks for the level and the version, switches the muting, and shows
// what the module sends back, including the Programme Service name and the
// raw words of every frame. While it is open it owns "COM7:" and the receive
// thread RdsToolReceiveThread, which updates the controls by synchronous
// calls into the window's thread.
#pragma once

#include <array>
#include <memory>

#include "rds/rds_tool_resource.h"
#include "rds/serial_port.h"
#include "rds/tool_link.h"
#include "rds/tool_sink.h"
#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/thread.h"

// The texts of the two start-up message boxes.
inline constexpr const char* kRdsPortNotOpenText = "Cannot open the tuner port COM7:.";
inline constexpr const char* kRdsThreadNotStartedText = "Cannot start the tuner receive thread.";

class CRdsToolDlg : public ui::CDialog, private RdsToolSink {
  public:
    static constexpr int IDD = IDD_RDS_TOOL;

    // port: the serial port the link uses; the installed platform's by
    // default.
    explicit CRdsToolDlg(ui::CWnd* parent = nullptr, RdsSerialPort& port = TheRdsSerialPort());
    ~CRdsToolDlg() override;

    CRdsToolDlg(const CRdsToolDlg&) = delete;
    CRdsToolDlg& operator=(const CRdsToolDlg&) = delete;

    // Template 103: "RDS Tool", 180 x 122.
    static ui::DialogTemplate Template103();

  protected:
    void DoDataExchange(ui::CDataExchange* dx) override;
    ui::BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnClose() override;
    void OnDestroy() override;

  private:
    friend ui::UINT RdsToolReceiveThread(ui::LPVOID pParam);

    // Buttons.
    void OnTuneSend();
    void OnSeekSend();
    void OnShowLevel();
    void OnShowVersion();
    void OnMuteOn();
    void OnMuteOff();
    void OnTuneMode();
    void OnSeekMode();

    void ApplyEnableSet(bool tuneMode);
    void Send(RdsCommand command);
    // Mask 0, port closed, the receive thread waited for (its control
    // updates served meanwhile), the name buffer released; once, however
    // the window goes.
    void CloseLink();

    // What the receive thread delivers (RdsToolSink), as synchronous
    // updates of the controls.
    void SetVersion(int first, int second, int third) override;
    void SetLevel(int level) override;
    void SetTuneReply(bool strength, bool tuned) override;
    void SetSeekReply(bool found, int frequency, bool tuned) override;
    void SetPsName(const std::string& name) override;
    void SetRawWords(const RdsRawWords& words) override;

    RdsSerialPort& m_port;
    // The port handle, the frequency shared with the receive thread, the
    // seek start and the name assembler with its buffer.
    std::unique_ptr<RdsToolLink> m_pLink;
    ui::CWinThread* m_pReceiveThread = nullptr;
    bool m_bLinkClosed = false;

    int m_nTuneParameter = 0;
    int m_nSeekParameter = 0;

    ui::CEdit m_editFrequency;                // 1079
    ui::CSpinButtonCtrl m_spinFrequency;      // 1076
    ui::CEdit m_editTuneParameter;            // 1080
    ui::CSpinButtonCtrl m_spinTuneParameter;  // 1077
    ui::CButton m_btnTuneSend;                // 1060
    ui::CButton m_btnTuned;                   // 1062
    ui::CButton m_btnStrength;                // 1063
    ui::CButton m_btnSeekUp;                  // 1074
    ui::CButton m_btnSeekDown;                // 1075
    ui::CEdit m_editSeekParameter;            // 1081
    ui::CSpinButtonCtrl m_spinSeekParameter;  // 1078
    ui::CButton m_btnSeekSend;                // 1061
    ui::CButton m_btnFound;                   // 1064
    ui::CButton m_btnSeekTuned;               // 1065
    ui::CButton m_btnShowLevel;               // 1066
    ui::CEdit m_editLevel;                    // 1082
    ui::CButton m_btnShowVersion;             // 1069
    std::array<ui::CEdit, 3> m_editVersion;   // 1083..1085
    ui::CEdit m_editPsName;                   // 1086
    std::array<ui::CEdit, 4> m_editRaw;       // 1087..1090
};

// The receive thread's procedure; its argument is the tool window.
ui::UINT RdsToolReceiveThread(ui::LPVOID pParam);
