// Window, dialog and control styles, show and placement flags, and the
// message box types and answers, with their Win32 / Windows CE values.
#pragma once

#include "platform/services.h"
#include "ui/types.h"

namespace ui {

// Window styles.
inline constexpr DWORD WS_OVERLAPPED = 0x00000000U;
inline constexpr DWORD WS_POPUP = 0x80000000U;
inline constexpr DWORD WS_CHILD = 0x40000000U;
inline constexpr DWORD WS_VISIBLE = 0x10000000U;
inline constexpr DWORD WS_DISABLED = 0x08000000U;
inline constexpr DWORD WS_CLIPSIBLINGS = 0x04000000U;
inline constexpr DWORD WS_CLIPCHILDREN = 0x02000000U;
inline constexpr DWORD WS_BORDER = 0x00800000U;
inline constexpr DWORD WS_DLGFRAME = 0x00400000U;
inline constexpr DWORD WS_CAPTION = 0x00C00000U;  // WS_BORDER | WS_DLGFRAME
inline constexpr DWORD WS_VSCROLL = 0x00200000U;
inline constexpr DWORD WS_HSCROLL = 0x00100000U;
inline constexpr DWORD WS_SYSMENU = 0x00080000U;
inline constexpr DWORD WS_GROUP = 0x00020000U;
inline constexpr DWORD WS_TABSTOP = 0x00010000U;

// Extended styles. WS_EX_CAPTIONOKBTN is the Windows CE OK button in the
// caption bar.
inline constexpr DWORD WS_EX_CAPTIONOKBTN = 0x80000000U;

// Dialog styles.
inline constexpr DWORD DS_ABSALIGN = 0x0001;
inline constexpr DWORD DS_SETFONT = 0x0040;
inline constexpr DWORD DS_MODALFRAME = 0x0080;
inline constexpr DWORD DS_CENTER = 0x0800;

// Static controls.
inline constexpr DWORD SS_LEFT = 0x0000;
inline constexpr DWORD SS_CENTER = 0x0001;
inline constexpr DWORD SS_RIGHT = 0x0002;
inline constexpr DWORD SS_LEFTNOWORDWRAP = 0x000C;
inline constexpr DWORD SS_TYPEMASK = 0x001F;
inline constexpr DWORD SS_NOPREFIX = 0x0080;
inline constexpr DWORD SS_NOTIFY = 0x0100;
inline constexpr DWORD SS_CENTERIMAGE = 0x0200;

// Buttons.
inline constexpr DWORD BS_PUSHBUTTON = 0x0000;
inline constexpr DWORD BS_DEFPUSHBUTTON = 0x0001;
inline constexpr DWORD BS_CHECKBOX = 0x0002;
inline constexpr DWORD BS_AUTOCHECKBOX = 0x0003;
inline constexpr DWORD BS_RADIOBUTTON = 0x0004;
inline constexpr DWORD BS_GROUPBOX = 0x0007;
inline constexpr DWORD BS_AUTORADIOBUTTON = 0x0009;
inline constexpr DWORD BS_TYPEMASK = 0x000F;
inline constexpr DWORD BS_LEFTTEXT = 0x0020;
inline constexpr DWORD BS_PUSHLIKE = 0x1000;
inline constexpr DWORD BS_MULTILINE = 0x2000;

// Edits.
inline constexpr DWORD ES_LEFT = 0x0000;
inline constexpr DWORD ES_CENTER = 0x0001;
inline constexpr DWORD ES_RIGHT = 0x0002;
inline constexpr DWORD ES_MULTILINE = 0x0004;
inline constexpr DWORD ES_AUTOVSCROLL = 0x0040;
inline constexpr DWORD ES_AUTOHSCROLL = 0x0080;
inline constexpr DWORD ES_READONLY = 0x0800;
inline constexpr DWORD ES_WANTRETURN = 0x1000;
inline constexpr DWORD ES_NUMBER = 0x2000;

// Up-down controls.
inline constexpr DWORD UDS_WRAP = 0x0001;
inline constexpr DWORD UDS_SETBUDDYINT = 0x0002;
inline constexpr DWORD UDS_ALIGNRIGHT = 0x0004;
inline constexpr DWORD UDS_ALIGNLEFT = 0x0008;
inline constexpr DWORD UDS_AUTOBUDDY = 0x0010;
inline constexpr DWORD UDS_ARROWKEYS = 0x0020;
inline constexpr DWORD UDS_HORZ = 0x0040;
inline constexpr DWORD UDS_NOTHOUSANDS = 0x0080;

// Trackbars.
inline constexpr DWORD TBS_AUTOTICKS = 0x0001;
inline constexpr DWORD TBS_VERT = 0x0002;
inline constexpr DWORD TBS_HORZ = 0x0000;
inline constexpr DWORD TBS_LEFT = 0x0004;
inline constexpr DWORD TBS_BOTH = 0x0008;
inline constexpr DWORD TBS_NOTICKS = 0x0010;

// ShowWindow.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWNOACTIVATE = 4;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_SHOWNA = 8;

// SetWindowPos.
inline constexpr UINT SWP_NOSIZE = 0x0001;
inline constexpr UINT SWP_NOMOVE = 0x0002;
inline constexpr UINT SWP_NOZORDER = 0x0004;
inline constexpr UINT SWP_NOREDRAW = 0x0008;
inline constexpr UINT SWP_NOACTIVATE = 0x0010;
inline constexpr UINT SWP_SHOWWINDOW = 0x0040;
inline constexpr UINT SWP_HIDEWINDOW = 0x0080;
inline const HWND HWND_TOP = nullptr;
inline const HWND HWND_BOTTOM = reinterpret_cast<HWND>(std::uintptr_t{1});

// Button check states.
inline constexpr int BST_UNCHECKED = 0;
inline constexpr int BST_CHECKED = 1;
inline constexpr int BST_INDETERMINATE = 2;
inline constexpr int BST_PUSHED = 4;
inline constexpr int BST_FOCUS = 8;

// Message boxes (the platform's values).
using platform::IDCANCEL;
using platform::IDOK;
using platform::MB_ICONEXCLAMATION;
using platform::MB_ICONHAND;
using platform::MB_ICONINFORMATION;
using platform::MB_ICONQUESTION;
using platform::MB_OK;
using platform::MB_OKCANCEL;
inline constexpr UINT MB_ICONSTOP = MB_ICONHAND;
inline constexpr UINT MB_ICONERROR = MB_ICONHAND;
inline constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
inline constexpr UINT MB_ICONASTERISK = MB_ICONINFORMATION;
inline constexpr UINT MB_TYPEMASK = 0x0000000FU;
inline constexpr UINT MB_ICONMASK = 0x000000F0U;

// Bkgnd modes of a drawing context.
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

// Thread priorities on the Windows CE scale (0 highest .. 7 idle).
inline constexpr int THREAD_PRIORITY_NORMAL = 3;

}  // namespace ui
