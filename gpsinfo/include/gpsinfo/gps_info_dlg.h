#pragma once

// The GPS information window: the live state of the receiver as a block of
// text, rebuilt once per completed receiver cycle. Its receive thread reads
// "GPS1:" and posts the raw chunks here; parsing and rendering happen on the
// window's own thread.

#include <atomic>
#include <cstdint>

#include "gpsinfo/gps_info.h"
#include "gpsinfo/gps_line_assembler.h"
#include "gpsinfo/nmea_gps_info_parser.h"
#include "platform/win_types.h"
#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/thread.h"

class CGpsInfoDlg : public ui::CDialog {
  public:
    static constexpr int IDD = 134;
    static constexpr int IDC_EDIT_INFO = 1058;

    explicit CGpsInfoDlg(ui::CWnd* parent = nullptr);
    ~CGpsInfoDlg() override;

    CGpsInfoDlg(const CGpsInfoDlg&) = delete;
    CGpsInfoDlg& operator=(const CGpsInfoDlg&) = delete;

    // Template 134: "GPS Information", 163 x 80, with the read-only edit box.
    static ui::DialogTemplate Template134();

  protected:
    void DoDataExchange(ui::CDataExchange* dx) override;
    ui::BOOL OnInitDialog() override;
    void OnClose() override;
    void OnOK() override;
    void OnCancel() override;
    void OnDestroy() override;

  private:
    friend void GpsReceiveProc(CGpsInfoDlg* dlg);

    ui::LRESULT OnGpsData(ui::WPARAM wParam, ui::LPARAM lParam);
    void Render();
    void SetVariantCaption();
    void OpenDriver();
    void StartReceiving();
    // Stops the thread and closes the driver, once however the window goes:
    // close box, cancel, OK or the program quitting.
    void StopReceiving();
    // Waits for the thread to end and frees the chunks it posted that were
    // not taken yet.
    void JoinReceiver();

    std::atomic<platform::HANDLE> m_hGps{0};
    ui::CEdit m_editInfo;
    ui::CWinThread* m_pRecvThread = nullptr;
    CGpsInfoParser m_parser;
    GPS_INFO m_gpsInfo{};
    std::atomic<std::int32_t> m_bStop{0};

    CGpsLineAssembler m_assembler;
    bool m_bStopped = false;
};
