#include "ui/controls.h"

#include <algorithm>
#include <string>

namespace ui {

int CButton::GetCheck() const {
    return static_cast<int>(SendMessage(BM_GETCHECK));
}
void CButton::SetCheck(int check) {
    SendMessage(BM_SETCHECK, static_cast<WPARAM>(check));
}
UINT CButton::GetState() const {
    return static_cast<UINT>(SendMessage(BM_GETSTATE));
}
void CButton::SetState(BOOL pushed) {
    SendMessage(BM_SETSTATE, pushed != FALSE ? 1 : 0);
}
UINT CButton::GetButtonStyle() const {
    return static_cast<UINT>(GetStyle() & 0xFFFFU);
}
void CButton::SetButtonStyle(UINT style, BOOL redraw) {
    SendMessage(BM_SETSTYLE, style, redraw);
}

void CEdit::SetSel(int start, int end, BOOL /*noScroll*/) {
    SendMessage(EM_SETSEL, static_cast<WPARAM>(static_cast<std::intptr_t>(start)), end);
}
void CEdit::GetSel(int& start, int& end) const {
    DWORD s = 0;
    DWORD e = 0;
    SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    start = static_cast<int>(s);
    end = static_cast<int>(e);
}
void CEdit::ReplaceSel(std::string_view text, BOOL /*canUndo*/) {
    const std::string copy(text);
    SendMessage(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(copy.c_str()));
}
int CEdit::GetLineCount() const {
    return static_cast<int>(SendMessage(EM_GETLINECOUNT));
}
int CEdit::GetFirstVisibleLine() const {
    return static_cast<int>(SendMessage(EM_GETFIRSTVISIBLELINE));
}
BOOL CEdit::LineScroll(int lines, int chars) {
    return static_cast<BOOL>(
        SendMessage(EM_LINESCROLL, static_cast<WPARAM>(static_cast<std::intptr_t>(chars)), lines));
}
BOOL CEdit::SetReadOnly(BOOL readOnly) {
    return static_cast<BOOL>(SendMessage(EM_SETREADONLY, readOnly != FALSE ? 1 : 0));
}

int CTabCtrl::InsertItem(int index, std::string_view text) {
    const std::string copy(text);
    TCITEM item;
    item.mask = TCIF_TEXT;
    item.pszText = copy.c_str();
    return static_cast<int>(SendMessage(TCM_INSERTITEM, static_cast<WPARAM>(std::max(index, 0)),
                                        reinterpret_cast<LPARAM>(&item)));
}
BOOL CTabCtrl::DeleteItem(int index) {
    return index < 0 ? FALSE
                     : static_cast<BOOL>(SendMessage(TCM_DELETEITEM, static_cast<WPARAM>(index)));
}
BOOL CTabCtrl::DeleteAllItems() {
    return static_cast<BOOL>(SendMessage(TCM_DELETEALLITEMS));
}
int CTabCtrl::GetItemCount() const {
    return static_cast<int>(SendMessage(TCM_GETITEMCOUNT));
}
int CTabCtrl::GetCurSel() const {
    return m_hWnd == nullptr ? -1 : static_cast<int>(SendMessage(TCM_GETCURSEL));
}
int CTabCtrl::SetCurSel(int index) {
    return index < 0 ? -1
                     : static_cast<int>(SendMessage(TCM_SETCURSEL, static_cast<WPARAM>(index)));
}
BOOL CTabCtrl::GetItemRect(int index, Rect* rect) const {
    return index < 0 ? FALSE
                     : static_cast<BOOL>(SendMessage(TCM_GETITEMRECT, static_cast<WPARAM>(index),
                                                     reinterpret_cast<LPARAM>(rect)));
}

void CSpinButtonCtrl::SetRange(short lower, short upper) {
    SendMessage(UDM_SETRANGE, 0, MAKELPARAM(upper, lower));
}
void CSpinButtonCtrl::SetRange32(int lower, int upper) {
    SendMessage(UDM_SETRANGE32, static_cast<WPARAM>(static_cast<std::intptr_t>(lower)), upper);
}
void CSpinButtonCtrl::GetRange(int& lower, int& upper) const {
    SendMessage(UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lower), reinterpret_cast<LPARAM>(&upper));
}
int CSpinButtonCtrl::SetPos(int pos) {
    return static_cast<int>(SendMessage(UDM_SETPOS32, 0, pos));
}
int CSpinButtonCtrl::GetPos() const {
    return static_cast<int>(SendMessage(UDM_GETPOS));
}
int CSpinButtonCtrl::GetPos32(BOOL* error) const {
    return static_cast<int>(SendMessage(UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(error)));
}
CWnd* CSpinButtonCtrl::SetBuddy(CWnd* buddy) {
    const auto previous = SendMessage(
        UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy != nullptr ? buddy->m_hWnd : nullptr));
    return FromHandle(reinterpret_cast<HWND>(previous));
}
CWnd* CSpinButtonCtrl::GetBuddy() const {
    return FromHandle(reinterpret_cast<HWND>(SendMessage(UDM_GETBUDDY)));
}

void CSliderCtrl::SetRange(int minimum, int maximum, BOOL redraw) {
    SendMessage(TBM_SETRANGEMIN, static_cast<WPARAM>(FALSE), minimum);
    SendMessage(TBM_SETRANGEMAX, static_cast<WPARAM>(redraw), maximum);
}
void CSliderCtrl::GetRange(int& minimum, int& maximum) const {
    minimum = GetRangeMin();
    maximum = GetRangeMax();
}
int CSliderCtrl::GetRangeMin() const {
    return static_cast<int>(SendMessage(TBM_GETRANGEMIN));
}
int CSliderCtrl::GetRangeMax() const {
    return static_cast<int>(SendMessage(TBM_GETRANGEMAX));
}
void CSliderCtrl::SetRangeMin(int minimum, BOOL redraw) {
    SendMessage(TBM_SETRANGEMIN, static_cast<WPARAM>(redraw), minimum);
}
void CSliderCtrl::SetRangeMax(int maximum, BOOL redraw) {
    SendMessage(TBM_SETRANGEMAX, static_cast<WPARAM>(redraw), maximum);
}
void CSliderCtrl::SetTicFreq(int frequency) {
    SendMessage(TBM_SETTICFREQ, static_cast<WPARAM>(std::max(frequency, 0)));
}
int CSliderCtrl::SetPageSize(int size) {
    return static_cast<int>(SendMessage(TBM_SETPAGESIZE, 0, size));
}
int CSliderCtrl::GetPageSize() const {
    return static_cast<int>(SendMessage(TBM_GETPAGESIZE));
}
int CSliderCtrl::SetLineSize(int size) {
    return static_cast<int>(SendMessage(TBM_SETLINESIZE, 0, size));
}
int CSliderCtrl::GetLineSize() const {
    return static_cast<int>(SendMessage(TBM_GETLINESIZE));
}
void CSliderCtrl::SetPos(int pos) {
    SendMessage(TBM_SETPOS, TRUE, pos);
}
int CSliderCtrl::GetPos() const {
    return static_cast<int>(SendMessage(TBM_GETPOS));
}

}  // namespace ui
