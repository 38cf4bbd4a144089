#include "gpsinfo/gps_info_dlg.h"

#include <cstddef>

#include "devices/gpio.h"
#include "devices/gps1.h"
#include "gpsinfo/gps_chunk.h"
#include "gpsinfo/gps_info_text.h"
#include "gpsinfo/gps_receive.h"
#include "platform/api.h"
#include "ui/message_box.h"

namespace {

constexpr int kScreenWidth = 320;
constexpr int kScreenHeight = 240;

// Address space reserved for a register block, released on every way out.
class ScopedReservation {
  public:
    explicit ScopedReservation(platform::DWORD size)
        : p_(platform::VirtualAlloc(nullptr, size, platform::MEM_RESERVE,
                                    platform::PAGE_NOACCESS)) {}
    ScopedReservation(const ScopedReservation&) = delete;
    ScopedReservation& operator=(const ScopedReservation&) = delete;
    ~ScopedReservation() {
        if (p_ != nullptr) {
            platform::VirtualFree(p_, 0, platform::MEM_RELEASE);
        }
    }
    [[nodiscard]] void* get() const { return p_; }

  private:
    void* p_;
};

void Ask(const std::string& text) {
    ui::AfxMessageBox(text, ui::MB_ICONQUESTION);
}

}  // namespace

CGpsInfoDlg::CGpsInfoDlg(ui::CWnd* parent) : CDialog(Template134(), parent) {
    BindMessage(WM_GPS_DATA, &CGpsInfoDlg::OnGpsData);
}

CGpsInfoDlg::~CGpsInfoDlg() {
    // Normally done when the window went; this covers a window that never
    // got that far.
    StopReceiving();
    JoinReceiver();
}

ui::DialogTemplate CGpsInfoDlg::Template134() {
    ui::DialogTemplate t;
    t.id = IDD;
    t.caption = "GPS Information";
    t.style = ui::WS_POPUP | ui::WS_CAPTION | ui::WS_SYSMENU | ui::DS_MODALFRAME;
    t.cx = 163;
    t.cy = 80;
    t.items = {
        ui::EditText(IDC_EDIT_INFO, 5, 5, 147, 67,
                     ui::ES_MULTILINE | ui::ES_READONLY | ui::ES_WANTRETURN),
    };
    return t;
}

void CGpsInfoDlg::DoDataExchange(ui::CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    ui::DDX_Control(dx, IDC_EDIT_INFO, m_editInfo);
}

ui::BOOL CGpsInfoDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    MoveWindow(0, 0, kScreenWidth, kScreenHeight, ui::TRUE);
    m_editInfo.MoveWindow(3, 3, 308, 204, ui::TRUE);

    m_bStop.store(0);
    SetVariantCaption();
    OpenDriver();
    StartReceiving();
    return ui::TRUE;
}

void CGpsInfoDlg::SetVariantCaption() {
    const ScopedReservation block(kGpioBytes);
    if (block.get() == nullptr) {
        Ask(platform::Format("VirtualAlloc() failed. errcode=0x%x\r\n", platform::GetLastError()));
        return;
    }
    if (platform::VirtualCopy(block.get(), kGpioAddress, kGpioBytes,
                              platform::PAGE_READWRITE | platform::PAGE_NOCACHE) != 1) {
        Ask(platform::Format("VirtualCopy() failed. errcode=0x%x\r\n", platform::GetLastError()));
        return;
    }
    if (GpioPinHigh(static_cast<const volatile std::uint32_t*>(block.get()), kVariantPin)) {
        SetWindowText("GPS Information / Corvin");
    } else {
        SetWindowText("GPS Information / Tamsel");
    }
}

void CGpsInfoDlg::OpenDriver() {
    const platform::HANDLE h =
        platform::CreateFile(kGpsDeviceName, platform::GENERIC_READ | platform::GENERIC_WRITE, 0,
                             platform::OPEN_EXISTING, 0);
    if (h == platform::INVALID_HANDLE_VALUE) {
        const platform::DWORD error = platform::GetLastError();
        m_hGps.store(0);
        Ask(platform::Format("Do not open GPS driver!! errcode=0x%x\r\n", error));
        return;
    }
    m_hGps.store(h);
}

void CGpsInfoDlg::StartReceiving() {
    // Started also without a driver: its first wait fails and it ends at once.
    m_pRecvThread =
        ui::AfxBeginThread(GpsReceiveThread, this, ui::THREAD_PRIORITY_NORMAL, 0, 0, nullptr);
    if (m_pRecvThread == nullptr) {
        Ask(platform::Format("AfxBeginThread() failed. errcode=0x%x\r\n",
                             platform::GetLastError()));
    }
}

ui::LRESULT CGpsInfoDlg::OnGpsData(ui::WPARAM wParam, ui::LPARAM lParam) {
    const GpsChunk chunk = AdoptGpsChunk(wParam);
    if (!chunk || lParam <= 0 || m_bStop.load() != 0) {
        return 0;  // closing: the chunk is only freed
    }
    m_assembler.Feed(chunk.get(), static_cast<std::size_t>(lParam),
                     [this](const char* line, std::size_t length) {
                         if (m_parser.Dispatch(line, length, m_gpsInfo)) {
                             Render();
                         }
                     });
    return 0;
}

void CGpsInfoDlg::Render() {
    m_editInfo.SetWindowText(FormatGpsInfo(m_gpsInfo));
    m_gpsInfo = GPS_INFO{};
}

void CGpsInfoDlg::OnClose() {
    StopReceiving();
    Default();
}

void CGpsInfoDlg::OnOK() {
    StopReceiving();
    CDialog::OnOK();
}

void CGpsInfoDlg::OnCancel() {
    StopReceiving();
    CDialog::OnCancel();
}

void CGpsInfoDlg::OnDestroy() {
    StopReceiving();
    JoinReceiver();
    CDialog::OnDestroy();
}

void CGpsInfoDlg::StopReceiving() {
    if (m_bStopped) {
        return;
    }
    m_bStopped = true;
    m_bStop.store(1);
    if (const platform::HANDLE h = m_hGps.load(); h != 0) {
        if (platform::CloseHandle(h) == platform::FALSE) {
            Ask("CloseHandle(\"GPS1\") not close!!");
        }
        m_hGps.store(0);
    }
    JoinReceiver();
}

void CGpsInfoDlg::JoinReceiver() {
    if (m_pRecvThread != nullptr) {
        ui::WaitForThread(m_pRecvThread);
        m_pRecvThread = nullptr;
    }
    if (m_hWnd == nullptr) {
        return;
    }
    ui::MSG msg{};
    while (ui::PeekMessage(&msg, m_hWnd, WM_GPS_DATA, WM_GPS_DATA, ui::PM_REMOVE) !=
           platform::FALSE) {
        static_cast<void>(AdoptGpsChunk(msg.wParam));
    }
}
