// Message boxes: modal dialogs of the framework with a caption, an icon, the
// text (wrapped to the screen, "\r\n" kept) and OK or OK/Cancel.
#pragma once

#include <string_view>

#include "ui/styles.h"
#include "ui/types.h"

namespace ui {

class CWnd;

// The control ids inside a message box: the text, and the buttons IDOK and
// IDCANCEL.
inline constexpr int kMessageBoxTextId = 0xFFFF;

// Owned by owner (null: the active window). Returns IDOK or IDCANCEL; Esc
// answers IDCANCEL, or IDOK when there is no Cancel button.
int MessageBox(HWND owner, std::string_view text, std::string_view caption, UINT type);
// The caption is the application's name.
int AfxMessageBox(std::string_view text, UINT type = MB_OK, UINT helpId = 0);

}  // namespace ui
