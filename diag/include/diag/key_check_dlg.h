// The key check window: the live levels of the power and guide keys, read
// from the GPIO pin-level register every 100 ms. The object lives as long as
// the console; while it exists the power key raises no edge interrupt.
#pragma once

#include <cstdint>

#include "ui/controls.h"
#include "ui/dialog.h"

class CKeyCheckDlg : public ui::CDialog {
  public:
    explicit CKeyCheckDlg(ui::CWnd* parent = nullptr);
    ~CKeyCheckDlg() override;

    CKeyCheckDlg(const CKeyCheckDlg&) = delete;
    CKeyCheckDlg& operator=(const CKeyCheckDlg&) = delete;

    // Template 137.
    static ui::DialogTemplate Template137();

  protected:
    ui::BOOL OnInitDialog() override;
    void OnTimer(ui::UINT_PTR id) override;
    void OnClose() override;

  private:
    void OnOkClicked();

    ui::CButton* m_pPowerKey = nullptr;  // 1093
    ui::CButton* m_pGuideKey = nullptr;  // 1094
    volatile std::uint32_t* m_tpGpioReg = nullptr;
    volatile std::uint32_t* m_tpIntcReg = nullptr;
};
