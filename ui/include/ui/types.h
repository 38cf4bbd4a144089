// Win32-shaped basic types of the dialog framework: message parameters,
// window handles, colours and the records that notifications carry.
#pragma once

#include <cstdint>

#include "platform/win_types.h"
#include "ui/graphics.h"

namespace ui {

using platform::BOOL;
using platform::BYTE;
using platform::DWORD;
using platform::FALSE;
using platform::HANDLE;
using platform::LONG;
using platform::TRUE;
using platform::UINT;
using platform::WORD;

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using INT_PTR = std::intptr_t;
using LPVOID = void*;

// A window handle: an opaque id, valid from any thread. A destroyed window's
// handle is never given to another window during the run.
struct HWND__;
using HWND = HWND__*;

// Icons are kept by resource id; nothing draws them.
using HICON = std::uintptr_t;

using CPoint = Point;
using CRect = Rect;

// 0x00BBGGRR, as on Win32.
using COLORREF = std::uint32_t;

constexpr COLORREF RGB(int r, int g, int b) {
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr BYTE GetRValue(COLORREF c) {
    return static_cast<BYTE>(c & 0xFF);
}
constexpr BYTE GetGValue(COLORREF c) {
    return static_cast<BYTE>((c >> 8) & 0xFF);
}
constexpr BYTE GetBValue(COLORREF c) {
    return static_cast<BYTE>((c >> 16) & 0xFF);
}

constexpr WORD LOWORD(std::uintptr_t v) {
    return static_cast<WORD>(v & 0xFFFF);
}
constexpr WORD HIWORD(std::uintptr_t v) {
    return static_cast<WORD>((v >> 16) & 0xFFFF);
}
constexpr WPARAM MAKEWPARAM(unsigned lo, unsigned hi) {
    return static_cast<WPARAM>((lo & 0xFFFFU) | ((hi & 0xFFFFU) << 16));
}
constexpr LPARAM MAKELPARAM(int lo, int hi) {
    return static_cast<LPARAM>(
        static_cast<std::uint32_t>(static_cast<unsigned>(lo) & 0xFFFFU) |
        (static_cast<std::uint32_t>(static_cast<unsigned>(hi) & 0xFFFFU) << 16));
}
constexpr LONG MAKELONG(int lo, int hi) {
    return static_cast<LONG>(
        static_cast<std::uint32_t>(static_cast<unsigned>(lo) & 0xFFFFU) |
        (static_cast<std::uint32_t>(static_cast<unsigned>(hi) & 0xFFFFU) << 16));
}
// Signed client coordinates packed into a mouse message's lParam.
constexpr int GET_X_LPARAM(LPARAM lp) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(lp & 0xFFFF));
}
constexpr int GET_Y_LPARAM(LPARAM lp) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>((lp >> 16) & 0xFFFF));
}

// One queued message.
struct MSG {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0;
    Point pt;
};

// The header of every WM_NOTIFY record.
struct NMHDR {
    HWND hwndFrom = nullptr;
    UINT_PTR idFrom = 0;
    UINT code = 0;
};

// UDN_DELTAPOS: the position before the change and the proposed change.
struct NMUPDOWN {
    NMHDR hdr;
    int iPos = 0;
    int iDelta = 0;
};

// TCM_INSERTITEM.
inline constexpr UINT TCIF_TEXT = 0x0001;
struct TCITEM {
    UINT mask = TCIF_TEXT;
    DWORD dwState = 0;
    DWORD dwStateMask = 0;
    const char* pszText = nullptr;  // UTF-8, zero-terminated
    int cchTextMax = 0;
    int iImage = -1;
    LPARAM lParam = 0;
};

}  // namespace ui
