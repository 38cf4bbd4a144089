// A dialog with every kind of control the framework has, for the README,
// the golden-image test and trying the framework out by hand.
#pragma once

#include "ui/app.h"
#include "ui/framework.h"

namespace ui::demo {

inline constexpr int IDC_TAB = 1000;
inline constexpr int IDC_CHOICE = 1001;
inline constexpr int IDC_RED = 1002;
inline constexpr int IDC_GREEN = 1003;
inline constexpr int IDC_BLUE = 1004;
inline constexpr int IDC_UP = 1005;
inline constexpr int IDC_DOWN = 1006;
inline constexpr int IDC_MUTE = 1007;
inline constexpr int IDC_LED = 1008;
inline constexpr int IDC_DUTY_LABEL = 1009;
inline constexpr int IDC_DUTY = 1010;
inline constexpr int IDC_DUTY_SPIN = 1011;
inline constexpr int IDC_STATUS = 1012;
inline constexpr int IDC_LOG = 1013;
inline constexpr int IDC_VOLUME = 1014;
inline constexpr int IDC_APPLY = 1015;
inline constexpr int IDC_MAX = 1016;
inline constexpr int IDC_MIN = 1017;

DialogTemplate DemoTemplate();

class CDemoDlg : public CDialog {
  public:
    explicit CDemoDlg(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;

    int m_nDuty = 5;

  protected:
    void OnVScroll(UINT code, UINT pos, CWnd* bar) override;

  private:
    void OnApply();
    void OnSelChangeTab(NMHDR* header, LRESULT* result);
    void OnDutyDelta(NMHDR* header, LRESULT* result);

    CTabCtrl m_tab;
    CEdit m_log;
    CSpinButtonCtrl m_spin;
    CSliderCtrl m_volume;
    CStatic m_status;
};

// The demo dialog as a program's one window (kestrin --demo, tests).
class CDemoApp final : public CWinApp {
  public:
    BOOL InitInstance() override;
    // What the dialog's modal run returned.
    int result = 0;
};

}  // namespace ui::demo
