// Everything the system's windows use: include this one header.
//
// Writing a window (MFC for Windows CE, in this framework's terms):
//
//   class CMyDlg : public ui::CDialog {
//   public:
//       CMyDlg() : CDialog(MyTemplate()) {           // no parent: owned by the
//           BindClicked(1001, &CMyDlg::OnGo);         // active window when run
//           BindNotify(1000, TCN_SELCHANGE, &CMyDlg::OnSelChange);
//           BindMessage(WM_USER + 1, &CMyDlg::OnData);
//       }
//       void DoDataExchange(CDataExchange* dx) override {
//           DDX_Control(dx, 1002, m_edit);            // m_edit now is control 1002
//           DDX_Text(dx, 1032, m_nValue);             // int <-> decimal text
//       }
//       BOOL OnInitDialog() override {
//           CDialog::OnInitDialog();                  // data exchange to controls
//           SetTimer(1, 500);
//           return TRUE;                              // focus: first tab stop
//       }
//   protected:
//       void OnTimer(UINT_PTR id) override { ...; Default(); }
//       void OnClose() override { ...; Default(); }   // default: ends as IDCANCEL
//   };
//   CMyDlg dlg; int result = dlg.DoModal();          // nested loop until EndDialog
//
// Templates are data (dialog_template.h): DialogTemplate with DialogItem
// entries made by LText, PushButton, AutoRadioButton, GroupBox, EditText,
// UpDown, Trackbar, TabControl ...; positions in dialog units (x * 6 / 4,
// y * 13 / 8 pixels). Controls are reached with GetDlgItem(id) (a wrapper of
// the control's class, valid while the window exists) or bound members.
//
// Threads: AfxBeginThread starts a worker; it may call SendMessage,
// PostMessage and any CWnd / control method (they run on the UI thread).
// A window that must outlive its worker waits with WaitForThread, which keeps
// serving messages so a worker blocked in a send can finish. A window's
// thread object stays valid while the window lives; once waited for, it is
// released after the code that ran the window has returned (ui/thread.h).
//
// Hosts and tests drive the framework through ui/desktop.h (screen,
// introspection, input) and a Presenter (ui/presenter.h; headless:
// ui/headless_presenter.h).
#pragma once

#include "ui/app.h"
#include "ui/controls.h"
#include "ui/dc.h"
#include "ui/dialog.h"
#include "ui/dialog_template.h"
#include "ui/message_box.h"
#include "ui/messages.h"
#include "ui/styles.h"
#include "ui/thread.h"
#include "ui/types.h"
#include "ui/wnd.h"
