// CDialog: a window built from a DialogTemplate and run modally, and the
// data exchange between a dialog's members and its controls.
#pragma once

#include <optional>
#include <string>

#include "ui/dialog_template.h"
#include "ui/wnd.h"

namespace ui {

class CDataExchange;

class CDialog : public CWnd {
  public:
    // parent null: the dialog is owned by the active top-level window when
    // it runs.
    explicit CDialog(DialogTemplate dialogTemplate, CWnd* parent = nullptr);
    ~CDialog() override;

    // Creates the window and its controls, disables the owner, runs
    // OnInitDialog and a nested message loop until EndDialog, then destroys
    // the window (this object lives on) and returns the result. -1 when the
    // dialog cannot run (not on the UI thread, already running) or the loop
    // ended because the program is quitting.
    virtual int DoModal();
    // Ends the modal loop with a result once the current handler returns.
    void EndDialog(int result);

    // The base creates nothing more (the controls exist already): it runs the
    // data exchange towards the controls. Returning TRUE gives the focus to
    // the first tab-stop control.
    virtual BOOL OnInitDialog();
    // IDOK (Enter where there is no default push button, the caption's OK
    // button): UpdateData(TRUE), then EndDialog(IDOK).
    virtual void OnOK();
    // Esc and the close box (through WM_CLOSE): EndDialog(IDCANCEL).
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* dx);
    // save TRUE: controls to members; FALSE: members to controls. FALSE when
    // a value could not be read (after a message box).
    BOOL UpdateData(BOOL save = TRUE);
    // Moves the focus to a control.
    void GotoDlgCtrl(CWnd* control);
    // The default push button (DM_SETDEFID, DM_GETDEFID): the one Enter
    // clicks while the focus is not on a push button. GetDefID answers
    // MAKELONG(id, DC_HASDEFID), or 0 without one.
    void SetDefID(UINT id);
    [[nodiscard]] DWORD GetDefID() const;

    [[nodiscard]] const DialogTemplate& Template() const { return template_; }
    // True between DoModal's start and its end.
    [[nodiscard]] bool IsRunning() const { return m_hWnd != nullptr; }

    CWnd* m_pParentWnd = nullptr;

  protected:
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

  private:
    friend class detail::DesktopImpl;
    DialogTemplate template_;
    std::optional<int> result_;
};

class CDataExchange {
  public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}
    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
    // The control with this id (null if there is none).
    HWND PrepareCtrl(int id);
    // A value could not be exchanged: later exchanges do nothing.
    void Fail() { failed_ = true; }
    [[nodiscard]] bool Failed() const { return failed_; }

  private:
    bool failed_ = false;
};

// Attaches a control wrapper to the control with this id (once).
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
// An integer as decimal text. Saving text that is not a whole number shows
// "Please enter an integer." and fails the exchange.
void DDX_Text(CDataExchange* dx, int id, int& value);
void DDX_Text(CDataExchange* dx, int id, std::string& value);

}  // namespace ui
