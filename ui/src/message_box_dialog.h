// The dialog behind MessageBox and AfxMessageBox.
#pragma once

#include <string>

#include "ui/dialog.h"

namespace ui::detail {

class CMessageBoxDlg : public CDialog {
  public:
    CMessageBoxDlg(std::string text, std::string caption, UINT type, CWnd* owner);

    [[nodiscard]] const std::string& Text() const { return text_; }
    [[nodiscard]] const std::string& Caption() const { return caption_; }
    [[nodiscard]] UINT Type() const { return type_; }
    [[nodiscard]] bool HasCancel() const;

    BOOL OnInitDialog() override;
    void OnOK() override;
    // Esc and the close box: Cancel, or OK when there is no Cancel button.
    void OnCancel() override;

  protected:
    void OnPaint() override;

  private:
    [[nodiscard]] UINT Icon() const;
    std::string text_;
    std::string caption_;
    UINT type_;
};

}  // namespace ui::detail
