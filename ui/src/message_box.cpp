// Message boxes as dialogs of the framework. The box is laid out in pixels
// from its text: an icon on the left, the text wrapped to fit the screen
// (its own line breaks kept), OK or OK and Cancel centred below.
#include "ui/message_box.h"

#include <algorithm>
#include <string>
#include <vector>

#include "desktop_impl.h"
#include "dialog_frame.h"
#include "look.h"
#include "message_box_dialog.h"
#include "platform/services.h"
#include "ui/app.h"
#include "ui/dc.h"

namespace ui {

namespace detail {

namespace {

constexpr int kMaxWindowWidth = 300;
constexpr int kBoxMargin = 10;
constexpr int kButtonWidth = 60;
constexpr int kButtonHeight = 20;
constexpr int kButtonGap = 8;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;

DialogTemplate MessageBoxTemplate(const std::string& text, const std::string& caption, UINT type) {
    DialogTemplate t;
    t.caption = caption;
    t.style = kStyle;
    t.cx = 100;
    t.cy = 50;
    t.items.push_back(LText(kMessageBoxTextId, text, 0, 0, 10, 10, SS_NOPREFIX));
    t.items.push_back(DefPushButton(IDOK, "OK", 0, 0, 10, 10));
    if ((type & MB_TYPEMASK) == MB_OKCANCEL) {
        t.items.push_back(PushButton(IDCANCEL, "Cancel", 0, 0, 10, 10));
    }
    return t;
}

}  // namespace

CMessageBoxDlg::CMessageBoxDlg(std::string text, std::string caption, UINT type, CWnd* owner)
    : CDialog(MessageBoxTemplate(text, caption, type), owner),
      text_(std::move(text)),
      caption_(std::move(caption)),
      type_(type) {}

bool CMessageBoxDlg::HasCancel() const {
    return (type_ & MB_TYPEMASK) == MB_OKCANCEL;
}

UINT CMessageBoxDlg::Icon() const {
    const UINT icon = type_ & MB_ICONMASK;
    switch (icon) {
        case MB_ICONHAND:
        case MB_ICONQUESTION:
        case MB_ICONEXCLAMATION:
        case MB_ICONINFORMATION:
            return icon;
        default:
            return 0;
    }
}

BOOL CMessageBoxDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    const Font& font = Font::System();
    const FrameMetrics frame = DialogFrameMetrics(kStyle);
    const int maxClientWidth = kMaxWindowWidth - 2 * frame.border;
    const int maxClientHeight = kScreenHeight - 2 * frame.border - frame.caption;

    const bool icon = Icon() != 0;
    const int textLeft = icon ? kBoxMargin + look::kIconSize + kBoxMargin : kBoxMargin;
    const int maxTextWidth = maxClientWidth - textLeft - kBoxMargin;
    const std::vector<std::string> lines = font.Wrap(text_, maxTextWidth);
    int textWidth = 0;
    for (const std::string& line : lines) {
        textWidth = std::max(textWidth, font.Measure(line));
    }
    const int buttons = HasCancel() ? 2 : 1;
    const int buttonsWidth = buttons * kButtonWidth + (buttons - 1) * kButtonGap;
    const int clientWidth =
        std::min(maxClientWidth,
                 std::max({textLeft + textWidth + kBoxMargin, buttonsWidth + 2 * kBoxMargin, 120}));
    const int bodyHeight =
        std::max(static_cast<int>(lines.size()) * font.LineHeight(), icon ? look::kIconSize : 0);
    const int clientHeight = std::min(
        maxClientHeight, kBoxMargin + bodyHeight + kBoxMargin + kButtonHeight + kBoxMargin);
    const int textHeight = clientHeight - 3 * kBoxMargin - kButtonHeight;

    const int width = clientWidth + 2 * frame.border;
    const int height = clientHeight + 2 * frame.border + frame.caption;
    MoveWindow((kScreenWidth - width) / 2, (kScreenHeight - height) / 2, width, height);
    if (CWnd* label = GetDlgItem(kMessageBoxTextId)) {
        label->MoveWindow(textLeft, kBoxMargin, clientWidth - textLeft - kBoxMargin, textHeight);
    }
    int x = (clientWidth - buttonsWidth) / 2;
    const int y = clientHeight - kBoxMargin - kButtonHeight;
    for (int id : {IDOK, IDCANCEL}) {
        if (CWnd* button = GetDlgItem(id)) {
            button->MoveWindow(x, y, kButtonWidth, kButtonHeight);
            x += kButtonWidth + kButtonGap;
        }
    }
    if (CWnd* ok = GetDlgItem(IDOK)) {
        ok->SetFocus();
    }
    return FALSE;
}

void CMessageBoxDlg::OnPaint() {
    CPaintDC dc(this);
    look::MessageIcon(dc, kBoxMargin, kBoxMargin, Icon());
}

void CMessageBoxDlg::OnCancel() {
    EndDialog(HasCancel() ? IDCANCEL : IDOK);
}

void CMessageBoxDlg::OnOK() {
    EndDialog(IDOK);
}

}  // namespace detail

namespace {

int RunMessageBox(HWND owner, std::string text, std::string caption, UINT type) {
    detail::DesktopImpl* d = detail::DesktopImpl::Current();
    if (d == nullptr) {
        return IDCANCEL;
    }
    if (d->messageBoxHook) {
        const MessageBoxInfo info{nullptr, text, caption, type};
        if (const std::optional<int> answer = d->messageBoxHook(info)) {
            return *answer;
        }
    }
    detail::CMessageBoxDlg box(std::move(text), std::move(caption), type, CWnd::FromHandle(owner));
    const int result = box.DoModal();
    if (result == IDOK || result == IDCANCEL) {
        return result;
    }
    // The program is quitting: the answer that changes nothing.
    return box.HasCancel() ? IDCANCEL : IDOK;
}

}  // namespace

int MessageBox(HWND owner, std::string_view text, std::string_view caption, UINT type) {
    std::string title = caption.empty() ? std::string("Error") : std::string(caption);
    if (detail::DesktopImpl::Current() != nullptr) {
        return RunMessageBox(owner, std::string(text), std::move(title), type);
    }
    // Another thread: the box runs on the UI thread while this one waits.
    if (auto hub = detail::CurrentHub()) {
        int result = IDCANCEL;
        const std::string body(text);
        if (hub->Invoke(nullptr, [&] { result = RunMessageBox(owner, body, title, type); })) {
            return result;
        }
    }
    // No screen at all: the platform's prompt, if there is one.
    if (platform::Installed().prompt != nullptr) {
        return platform::Installed().prompt->MessageBox(text, title, type);
    }
    return (type & MB_TYPEMASK) == MB_OKCANCEL ? IDCANCEL : IDOK;
}

int AfxMessageBox(std::string_view text, UINT type, UINT /*helpId*/) {
    return MessageBox(nullptr, text, AfxGetAppName(), type);
}

}  // namespace ui
