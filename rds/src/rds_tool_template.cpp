#include "rds/rds_tool_dlg.h"

namespace {

using namespace ui;

constexpr DWORD kSpinStyle =
    UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS;

}  // namespace

// The two rows of the "frequency" box are the modes: the radio on the left
// picks the row, and each row has its parameters, its "send" and the flags
// of its reply. Below them level, muting and version, then the name and the
// raw words of the last frame. Up-downs follow their buddy, which they take
// automatically; group boxes come last so that everything draws over them.
DialogTemplate CRdsToolDlg::Template103() {
    DialogTemplate t;
    t.id = IDD;
    t.caption = "RDS Tool";
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER;
    t.cx = 180;
    t.cy = 122;
    t.items = {
        AutoRadioButton(IDC_RDS_TUNE_MODE, "", 8, 13, 10, 10, WS_GROUP | WS_TABSTOP),
        AutoRadioButton(IDC_RDS_SEEK_MODE, "", 8, 32, 10, 10),

        EditText(IDC_RDS_FREQUENCY, 19, 12, 30, 12, WS_GROUP),
        UpDown(IDC_RDS_FREQUENCY_SPIN, 40, 12, 9, 12, kSpinStyle),
        EditText(IDC_RDS_TUNE_PARAM, 50, 12, 20, 12),
        UpDown(IDC_RDS_TUNE_PARAM_SPIN, 61, 12, 9, 12, kSpinStyle),
        PushButton(IDC_RDS_TUNE_SEND, "send", 71, 12, 22, 12),
        AutoRadioButton(IDC_RDS_TUNE_TUNED, "tuned", 95, 13, 32, 10, WS_GROUP),
        AutoRadioButton(IDC_RDS_TUNE_STRENGTH, "strength", 128, 13, 49, 10, WS_GROUP),

        AutoRadioButton(IDC_RDS_SEEK_UP, "up", 19, 31, 14, 12, WS_GROUP | BS_PUSHLIKE),
        AutoRadioButton(IDC_RDS_SEEK_DOWN, "down", 33, 31, 21, 12, BS_PUSHLIKE),
        EditText(IDC_RDS_SEEK_PARAM, 55, 31, 15, 12, WS_GROUP),
        UpDown(IDC_RDS_SEEK_PARAM_SPIN, 61, 31, 9, 12, kSpinStyle),
        PushButton(IDC_RDS_SEEK_SEND, "send", 71, 31, 22, 12),
        AutoRadioButton(IDC_RDS_SEEK_FOUND, "found", 95, 32, 32, 10, WS_GROUP),
        AutoRadioButton(IDC_RDS_SEEK_TUNED, "tuned", 128, 32, 49, 10, WS_GROUP),

        PushButton(IDC_RDS_SHOW_LEVEL, "Show level", 6, 60, 44, 12, WS_GROUP),
        EditText(IDC_RDS_LEVEL, 6, 74, 26, 11),
        AutoRadioButton(IDC_RDS_MUTE_ON, "on", 60, 60, 26, 10, WS_GROUP | WS_TABSTOP),
        AutoRadioButton(IDC_RDS_MUTE_OFF, "off", 60, 73, 26, 10),
        PushButton(IDC_RDS_SHOW_VERSION, "Show version", 98, 60, 76, 12, WS_GROUP),
        EditText(IDC_RDS_VERSION1, 98, 74, 24, 11),
        EditText(IDC_RDS_VERSION2, 124, 74, 24, 11),
        EditText(IDC_RDS_VERSION3, 150, 74, 24, 11),

        LText(IDC_RDS_STATIC, "PS", 4, 91, 14, 8, WS_GROUP),
        EditText(IDC_RDS_PS_NAME, 30, 89, 60, 12),
        LText(IDC_RDS_STATIC, "Result", 4, 106, 25, 8),
        EditText(IDC_RDS_RAW_A, 30, 104, 36, 12),
        EditText(IDC_RDS_RAW_B, 67, 104, 36, 12),
        EditText(IDC_RDS_RAW_C, 104, 104, 36, 12),
        EditText(IDC_RDS_RAW_D, 141, 104, 36, 12),

        GroupBox(IDC_RDS_STATIC, "frequency", 2, 2, 176, 46, WS_GROUP),
        GroupBox(IDC_RDS_STATIC, "level", 2, 50, 52, 37),
        GroupBox(IDC_RDS_STATIC, "Muting", 56, 50, 36, 37),
        GroupBox(IDC_RDS_STATIC, "version", 94, 50, 84, 37),
    };
    return t;
}
