// Dialog templates as data: the dialog's caption, styles and size, and its
// controls, all in dialog units of the "System 8" font. A template is what a
// resource script's DIALOG statement holds; the helpers below read like its
// control statements.
#pragma once

#include <string>
#include <vector>

#include "ui/graphics.h"
#include "ui/styles.h"
#include "ui/types.h"

namespace ui {

enum class ControlClass {
    Static,    // "STATIC"
    Button,    // "BUTTON": push buttons, radios, check boxes, group boxes
    Edit,      // "EDIT"
    Tab,       // "SysTabControl32"
    UpDown,    // "msctls_updown32"
    Trackbar,  // "msctls_trackbar32"
};

// One control. Controls are always children and are created visible; their
// z-order and tab order is the template's order, first on top.
struct DialogItem {
    int id = 0;
    ControlClass cls = ControlClass::Static;
    std::string text;
    int x = 0;  // dialog units, in the dialog's client area
    int y = 0;
    int cx = 0;
    int cy = 0;
    DWORD style = 0;  // class styles plus WS_GROUP, WS_TABSTOP, WS_BORDER, ...
    DWORD exStyle = 0;
};

struct DialogTemplate {
    int id = 0;
    std::string caption;
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    DWORD exStyle = 0;  // WS_EX_CAPTIONOKBTN for the caption's OK button
    std::string fontName = "System";
    int fontSize = 8;
    // Dialog units. x and y place the window on the screen (DS_CENTER
    // centres it); cx and cy are the client area's size.
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    std::vector<DialogItem> items;
};

// The fixed conversion for the "System 8" font.
constexpr int DluToPixelsX(int du) {
    return du * 6 / 4;
}
constexpr int DluToPixelsY(int du) {
    return du * 13 / 8;
}
// A rectangle in dialog units (x, y, cx, cy) to pixels; each edge is
// converted on its own so that adjacent controls stay adjacent.
constexpr Rect DluRectToPixels(int x, int y, int cx, int cy) {
    return {DluToPixelsX(x), DluToPixelsY(y), DluToPixelsX(x + cx), DluToPixelsY(y + cy)};
}

// Control statements. extraStyle is added to each helper's usual styles.
DialogItem LText(int id, std::string text, int x, int y, int cx, int cy, DWORD extraStyle = 0);
DialogItem PushButton(int id, std::string text, int x, int y, int cx, int cy, DWORD extraStyle = 0);
DialogItem DefPushButton(int id, std::string text, int x, int y, int cx, int cy,
                         DWORD extraStyle = 0);
DialogItem AutoRadioButton(int id, std::string text, int x, int y, int cx, int cy,
                           DWORD extraStyle = 0);
DialogItem AutoCheckBox(int id, std::string text, int x, int y, int cx, int cy,
                        DWORD extraStyle = 0);
DialogItem GroupBox(int id, std::string text, int x, int y, int cx, int cy, DWORD extraStyle = 0);
DialogItem EditText(int id, int x, int y, int cx, int cy, DWORD extraStyle = 0);
DialogItem UpDown(int id, int x, int y, int cx, int cy, DWORD extraStyle = 0);
DialogItem Trackbar(int id, int x, int y, int cx, int cy, DWORD extraStyle = 0);
DialogItem TabControl(int id, int x, int y, int cx, int cy, DWORD extraStyle = 0);

}  // namespace ui
