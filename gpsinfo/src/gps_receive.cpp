#include "gpsinfo/gps_receive.h"

#include "devices/gps1.h"
#include "gpsinfo/gps_chunk.h"
#include "gpsinfo/gps_info_dlg.h"
#include "platform/api.h"
#include "ui/wnd.h"

void GpsReceiveLoop(const std::atomic<std::int32_t>& stop, const std::atomic<platform::HANDLE>& gps,
                    ui::HWND window) {
    while (stop.load() == 0) {
        if (platform::DeviceIoControl(gps.load(), VESK_GPS_IOCTL_WAIT_DATA, nullptr, 0, nullptr, 0,
                                      nullptr) == platform::FALSE) {
            break;
        }
        if (stop.load() != 0) {
            break;
        }
        platform::DWORD count = 0;
        if (platform::DeviceIoControl(gps.load(), VESK_GPS_IOCTL_GET_DATA_SIZE, nullptr, 0, &count,
                                      sizeof(count), nullptr) == platform::FALSE) {
            break;
        }
        if (count == 0) {
            continue;
        }
        GpsChunk chunk = AllocateGpsChunk(count);
        if (!chunk) {
            // No room for the bytes: the driver keeps them, and asking again
            // would only spin.
            break;
        }
        if (platform::DeviceIoControl(gps.load(), VESK_GPS_IOCTL_READ_DATA, nullptr, 0, chunk.get(),
                                      count, nullptr) == platform::FALSE) {
            break;
        }
        const auto address = reinterpret_cast<ui::WPARAM>(chunk.get());
        if (ui::PostMessage(window, WM_GPS_DATA, address, static_cast<ui::LPARAM>(count)) !=
            platform::FALSE) {
            static_cast<void>(chunk.release());  // the window's now
        }
    }
    platform::NKDbgPrintf("%s", kGpsReceiveEndLine);
}

void GpsReceiveProc(CGpsInfoDlg* dlg) {
    GpsReceiveLoop(dlg->m_bStop, dlg->m_hGps, dlg->m_hWnd);
}

ui::UINT GpsReceiveThread(ui::LPVOID param) {
    GpsReceiveProc(static_cast<CGpsInfoDlg*>(param));
    return 0;
}
