// Control wrappers. Each is a CWnd that talks to its control through the
// control's messages, so the calls work on any thread and through a pointer
// from GetDlgItem as well as through a member bound with DDX_Control.
#pragma once

#include <string>
#include <string_view>

#include "ui/wnd.h"

namespace ui {

class CStatic : public CWnd {};

class CButton : public CWnd {
  public:
    // BST_CHECKED or BST_UNCHECKED. SetCheck changes this button only (no
    // group rule) and sends no notification.
    [[nodiscard]] int GetCheck() const;
    void SetCheck(int check);
    // The check state plus BST_PUSHED while the pen holds it down.
    [[nodiscard]] UINT GetState() const;
    void SetState(BOOL pushed);
    [[nodiscard]] UINT GetButtonStyle() const;
    void SetButtonStyle(UINT style, BOOL redraw = TRUE);
};

class CEdit : public CWnd {
  public:
    // Caret and selection as byte offsets into the UTF-8 text.
    void SetSel(int start, int end, BOOL noScroll = FALSE);
    void GetSel(int& start, int& end) const;
    void ReplaceSel(std::string_view text, BOOL canUndo = FALSE);
    [[nodiscard]] int GetLineCount() const;
    [[nodiscard]] int GetFirstVisibleLine() const;
    BOOL LineScroll(int lines, int chars = 0);
    BOOL SetReadOnly(BOOL readOnly = TRUE);
};

class CTabCtrl : public CWnd {
  public:
    // Returns the new item's index, or -1.
    int InsertItem(int index, std::string_view text);
    BOOL DeleteItem(int index);
    BOOL DeleteAllItems();
    [[nodiscard]] int GetItemCount() const;
    // -1 when there is no selection.
    [[nodiscard]] int GetCurSel() const;
    // Selects without notifying; returns the previous selection.
    int SetCurSel(int index);
    // A tab header's rectangle in the control's client coordinates.
    BOOL GetItemRect(int index, Rect* rect) const;
};

class CSpinButtonCtrl : public CWnd {
  public:
    // 16-bit bounds (UDM_SETRANGE).
    void SetRange(short lower, short upper);
    void SetRange32(int lower, int upper);
    void GetRange(int& lower, int& upper) const;
    // Clamped to the range; writes the buddy. Returns the previous position.
    int SetPos(int pos);
    // The position in the low 16 bits; the high 16 bits are non-zero when the
    // buddy's text is not a number within the range.
    [[nodiscard]] int GetPos() const;
    [[nodiscard]] int GetPos32(BOOL* error = nullptr) const;
    // Returns the previous buddy.
    CWnd* SetBuddy(CWnd* buddy);
    [[nodiscard]] CWnd* GetBuddy() const;
};

class CSliderCtrl : public CWnd {
  public:
    void SetRange(int minimum, int maximum, BOOL redraw = FALSE);
    void GetRange(int& minimum, int& maximum) const;
    [[nodiscard]] int GetRangeMin() const;
    [[nodiscard]] int GetRangeMax() const;
    void SetRangeMin(int minimum, BOOL redraw = FALSE);
    void SetRangeMax(int maximum, BOOL redraw = FALSE);
    void SetTicFreq(int frequency);
    int SetPageSize(int size);  // returns the previous size
    [[nodiscard]] int GetPageSize() const;
    int SetLineSize(int size);
    [[nodiscard]] int GetLineSize() const;
    void SetPos(int pos);  // clamped to the range
    [[nodiscard]] int GetPos() const;
};

}  // namespace ui
