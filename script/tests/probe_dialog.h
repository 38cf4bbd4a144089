// A small dialog application for the runner's tests: buttons that ask a
// question, write a debug line, start a worker that reports back by sent
// message, wait for that worker and open a second window; a timer that shows the battery voltage
// and whatever a test wants; a caption close box that is refused.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "platform/api.h"
#include "ui/app.h"
#include "ui/framework.h"
#include "ui/thread.h"

namespace script::test {

inline constexpr int IDC_EDIT = 1001;
inline constexpr int IDC_STATUS = 1002;
inline constexpr int IDC_ASK = 1003;
inline constexpr int IDC_LOG = 1004;
inline constexpr int IDC_MUTE = 1005;
inline constexpr int IDC_HIDDEN = 1006;
inline constexpr int IDC_OFF = 1007;
inline constexpr int IDC_BATTERY = 1008;
inline constexpr int IDC_WORK = 1009;
inline constexpr int IDC_CHILD = 1010;
inline constexpr int IDC_TICKS = 1011;
inline constexpr int IDC_JOIN = 1012;
inline constexpr int IDC_INSIDE = 2001;

inline constexpr ui::UINT WM_WORK_DONE = ui::WM_USER + 1;

// The second window: a caption and one static.
class CChildDlg : public ui::CDialog {
  public:
    CChildDlg() : ui::CDialog(Template()) {}
    static ui::DialogTemplate Template() {
        ui::DialogTemplate t;
        t.caption = "Child";
        t.style = ui::WS_POPUP | ui::WS_CAPTION | ui::DS_MODALFRAME;
        t.x = 20;
        t.y = 20;
        t.cx = 120;
        t.cy = 60;
        t.items = {ui::LText(IDC_INSIDE, "inside", 10, 10, 60, 10)};
        return t;
    }
};

class CProbeDlg : public ui::CDialog {
  public:
    CProbeDlg() : ui::CDialog(Template()) {
        BindClicked(IDC_ASK, &CProbeDlg::OnAsk);
        BindClicked(IDC_LOG, &CProbeDlg::OnLog);
        BindClicked(IDC_WORK, &CProbeDlg::OnWork);
        BindClicked(IDC_CHILD, &CProbeDlg::OnChild);
        BindClicked(IDC_JOIN, &CProbeDlg::OnJoin);
        BindMessage(WM_WORK_DONE, &CProbeDlg::OnWorkDone);
    }

    static ui::DialogTemplate Template() {
        ui::DialogTemplate t;
        t.caption = "Probe";
        t.style = ui::WS_POPUP | ui::WS_CAPTION | ui::WS_SYSMENU | ui::DS_MODALFRAME;
        t.exStyle = ui::WS_EX_CAPTIONOKBTN;
        t.cx = 200;
        t.cy = 120;
        t.items = {
            ui::EditText(IDC_EDIT, 5, 5, 80, 12),
            ui::LText(IDC_STATUS, "idle", 95, 5, 100, 10),
            ui::PushButton(IDC_ASK, "Ask", 5, 25, 40, 14),
            ui::PushButton(IDC_LOG, "Log", 50, 25, 40, 14),
            ui::AutoCheckBox(IDC_MUTE, "Mute", 95, 25, 50, 10),
            ui::PushButton(IDC_HIDDEN, "Hidden", 5, 45, 40, 14),
            ui::PushButton(IDC_OFF, "Off", 50, 45, 40, 14),
            ui::LText(IDC_BATTERY, "", 95, 45, 50, 10),
            ui::PushButton(IDC_WORK, "Work", 5, 65, 40, 14),
            ui::PushButton(IDC_CHILD, "Child", 50, 65, 40, 14),
            ui::LText(IDC_TICKS, "", 95, 65, 100, 10),
            ui::PushButton(IDC_JOIN, "Join", 5, 85, 40, 14),
        };
        return t;
    }

    // Called by timer 1 (every 500 ms); its text goes to IDC_TICKS.
    std::function<std::string()> onTick;
    // What the caption's close box did.
    int closeRequests = 0;
    // Cancel waits for the worker to end first.
    bool joinWorkerOnCancel = false;
    // The worker's procedure (the default reports back at once).
    std::function<void(CProbeDlg&)> work = [](CProbeDlg& self) {
        self.SendMessage(WM_WORK_DONE, 7, 0);
    };

    ui::BOOL OnInitDialog() override {
        ui::CDialog::OnInitDialog();
        GetDlgItem(IDC_HIDDEN)->ShowWindow(ui::SW_HIDE);
        GetDlgItem(IDC_OFF)->EnableWindow(ui::FALSE);
        SetTimer(1, 500);
        return ui::TRUE;
    }

  protected:
    void OnTimer(ui::UINT_PTR id) override {
        if (id == 1) {
            platform::SYSTEM_POWER_STATUS_EX2 status;
            platform::GetSystemPowerStatusEx2(&status, sizeof status, ui::TRUE);
            SetDlgItemText(IDC_BATTERY, std::to_string(status.BatteryVoltage));
            if (onTick) {
                SetDlgItemText(IDC_TICKS, onTick());
            }
        }
    }
    void OnClose() override { ++closeRequests; }
    void OnCancel() override {
        if (joinWorkerOnCancel) {
            ui::WaitForThread(worker_);
        }
        ui::CDialog::OnCancel();
    }

  private:
    void OnAsk() {
        const int answer = MessageBox("Proceed?\r\nSure", "Question", ui::MB_OKCANCEL);
        SetDlgItemText(IDC_STATUS, "answer " + std::to_string(answer));
    }
    void OnLog() {
        platform::NKDbgPrintf("Log pressed::OnLog\r\n");
        platform::NKDbgPrintf("count=%d\r\n", ++logs_);
    }
    // The thread gets its own copy of the work, which may outlive the window.
    struct Job {
        CProbeDlg* dlg;
        std::function<void(CProbeDlg&)> work;
    };
    void OnWork() {
        auto job = std::make_unique<Job>(Job{this, work});
        if ((worker_ = ui::AfxBeginThread(
                 [](ui::LPVOID param) -> ui::UINT {
                     const std::unique_ptr<Job> mine(static_cast<Job*>(param));
                     mine->work(*mine->dlg);
                     return 0;
                 },
                 job.get())) != nullptr) {
            static_cast<void>(job.release());  // the thread owns it now
        }
    }
    ui::LRESULT OnWorkDone(ui::WPARAM value, ui::LPARAM /*unused*/) {
        SetDlgItemText(IDC_STATUS, "worker " + std::to_string(value));
        return 0;
    }
    // Waits for the worker, then says so.
    void OnJoin() {
        ui::WaitForThread(worker_);
        SetDlgItemText(IDC_STATUS, "joined");
    }
    void OnChild() {
        CChildDlg child;
        childResult = child.DoModal();
        SetDlgItemText(IDC_STATUS, "child " + std::to_string(childResult));
    }

    int logs_ = 0;
    ui::CWinThread* worker_ = nullptr;

  public:
    int childResult = 0;
};

// The application: runs one probe dialog and keeps what it returned.
class ProbeApp : public ui::CWinApp {
  public:
    std::function<void(CProbeDlg&)> prepare;
    int result = 0;
    int closeRequests = 0;

    ui::BOOL InitInstance() override {
        CProbeDlg dlg;
        if (prepare) {
            prepare(dlg);
        }
        m_pMainWnd = &dlg;
        result = dlg.DoModal();
        m_pMainWnd = nullptr;
        closeRequests = dlg.closeRequests;
        return ui::FALSE;
    }
};

}  // namespace script::test
