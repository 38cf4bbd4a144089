// The diagnostic result window: a small modal dialog whose caption names the
// check and whose text area receives the check's result. The check runs
// once, from the first paint.
#pragma once

#include <atomic>
#include <cstdint>
#include <string_view>

#include "platform/win_types.h"
#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/thread.h"

// Check selectors.
inline constexpr std::int32_t kDiagCheckNone = 0;
inline constexpr std::int32_t kDiagCheckNor = 1;
inline constexpr std::int32_t kDiagCheckRds = 2;
inline constexpr std::int32_t kDiagCheckGps = 3;
inline constexpr std::int32_t kDiagCheckStorage = 4;

class CDiagResultDlg : public ui::CDialog {
  public:
    explicit CDiagResultDlg(ui::CWnd* parent = nullptr);
    ~CDiagResultDlg() override;
    CDiagResultDlg(const CDiagResultDlg&) = delete;
    CDiagResultDlg& operator=(const CDiagResultDlg&) = delete;

    // Template 101.
    static ui::DialogTemplate Template101();

    // Set before the window runs.
    void SetSelector(std::int32_t selector);
    [[nodiscard]] std::int32_t Selector() const { return m_nSelector; }

    // Replaces the whole result text; from the window's thread or a worker.
    void SetResultText(std::string_view text);

  protected:
    void DoDataExchange(ui::CDataExchange* dx) override;
    ui::BOOL OnInitDialog() override;
    void OnPaint() override;
    void OnClose() override;
    void OnDestroy() override;

  private:
    void OnOkClicked();
    void CloseRdsPort();
    void RunCheck();

    ui::CEdit m_editResult;  // 1002
    ui::CButton m_btnOk;     // 1001
    std::int32_t m_nSelector = kDiagCheckNone;
    std::int32_t m_nFirstPaint = 1;  // 0 once the check has run

  public:
    // The RDS check's port (opened by the check, closed by the window) and
    // its worker; the worker reads the handle while the window may close it.
    std::atomic<platform::HANDLE> m_hRdsPort{platform::INVALID_HANDLE_VALUE};
    ui::CWinThread* m_pRdsThread = nullptr;
};
