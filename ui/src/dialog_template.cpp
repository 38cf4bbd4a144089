#include "ui/dialog_template.h"

#include <utility>

namespace ui {

namespace {

DialogItem Item(int id, ControlClass cls, std::string text, int x, int y, int cx, int cy,
                DWORD style) {
    DialogItem item;
    item.id = id;
    item.cls = cls;
    item.text = std::move(text);
    item.x = x;
    item.y = y;
    item.cx = cx;
    item.cy = cy;
    item.style = style;
    return item;
}

}  // namespace

DialogItem LText(int id, std::string text, int x, int y, int cx, int cy, DWORD extraStyle) {
    return Item(id, ControlClass::Static, std::move(text), x, y, cx, cy, SS_LEFT | extraStyle);
}

DialogItem PushButton(int id, std::string text, int x, int y, int cx, int cy, DWORD extraStyle) {
    return Item(id, ControlClass::Button, std::move(text), x, y, cx, cy,
                BS_PUSHBUTTON | WS_TABSTOP | extraStyle);
}

DialogItem DefPushButton(int id, std::string text, int x, int y, int cx, int cy, DWORD extraStyle) {
    return Item(id, ControlClass::Button, std::move(text), x, y, cx, cy,
                BS_DEFPUSHBUTTON | WS_TABSTOP | extraStyle);
}

DialogItem AutoRadioButton(int id, std::string text, int x, int y, int cx, int cy,
                           DWORD extraStyle) {
    return Item(id, ControlClass::Button, std::move(text), x, y, cx, cy,
                BS_AUTORADIOBUTTON | extraStyle);
}

DialogItem AutoCheckBox(int id, std::string text, int x, int y, int cx, int cy, DWORD extraStyle) {
    return Item(id, ControlClass::Button, std::move(text), x, y, cx, cy,
                BS_AUTOCHECKBOX | WS_TABSTOP | extraStyle);
}

DialogItem GroupBox(int id, std::string text, int x, int y, int cx, int cy, DWORD extraStyle) {
    return Item(id, ControlClass::Button, std::move(text), x, y, cx, cy, BS_GROUPBOX | extraStyle);
}

DialogItem EditText(int id, int x, int y, int cx, int cy, DWORD extraStyle) {
    return Item(id, ControlClass::Edit, {}, x, y, cx, cy,
                ES_LEFT | WS_BORDER | WS_TABSTOP | extraStyle);
}

DialogItem UpDown(int id, int x, int y, int cx, int cy, DWORD extraStyle) {
    return Item(id, ControlClass::UpDown, {}, x, y, cx, cy, extraStyle);
}

DialogItem Trackbar(int id, int x, int y, int cx, int cy, DWORD extraStyle) {
    return Item(id, ControlClass::Trackbar, {}, x, y, cx, cy, WS_TABSTOP | extraStyle);
}

DialogItem TabControl(int id, int x, int y, int cx, int cy, DWORD extraStyle) {
    return Item(id, ControlClass::Tab, {}, x, y, cx, cy, extraStyle);
}

}  // namespace ui
