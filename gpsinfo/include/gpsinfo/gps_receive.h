#pragma once

// The GPS receive thread: pulls raw byte chunks out of "GPS1:" and posts each
// to the GPS information window. It never parses anything.

#include <atomic>
#include <cstdint>

#include "platform/win_types.h"
#include "ui/messages.h"
#include "ui/types.h"

class CGpsInfoDlg;

// wParam: the chunk's address (a GpsChunk, owned by the window once posted);
// lParam: its byte count.
inline constexpr ui::UINT WM_GPS_DATA = ui::WM_USER + 1;

// The debug line written when the receive loop ends, whatever the reason.
inline constexpr const char* kGpsReceiveEndLine = "GpsReceiveProc:End.\r\n";

// The receive loop over the words it shares with its window: waits on the
// driver, asks for the byte count, reads exactly that many bytes into a new
// chunk and posts it to `window`, until `stop` is 1 or a request fails.
// A chunk that cannot be posted is freed here.
void GpsReceiveLoop(const std::atomic<std::int32_t>& stop, const std::atomic<platform::HANDLE>& gps,
                    ui::HWND window);

// The loop of one GPS information window.
void GpsReceiveProc(CGpsInfoDlg* dlg);

// Thread entry for AfxBeginThread: param is the window.
ui::UINT GpsReceiveThread(ui::LPVOID param);
