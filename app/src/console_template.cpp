// Template 102: every page's controls on one canvas wider than the screen;
// the start-up layout moves each page onto the tab's area.
#include "app/console_dlg.h"
#include "app/console_ids.h"

using namespace console_id;

ui::DialogTemplate CConsoleDlg::Template102() {
    using namespace ui;
    DialogTemplate t;
    t.id = 102;
    t.caption = "Kestrin";
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    t.exStyle = WS_EX_CAPTIONOKBTN;
    t.fontName = "System";
    t.fontSize = 8;
    t.cx = 495;
    t.cy = 238;
    t.items = {
        // "Ver"
        LText(kSerialLabel, "S/N", 20, 60, 15, 10),
        EditText(kFactoryCode, 40, 60, 35, 12, ES_MULTILINE | ES_READONLY),
        LText(kFirmwareLabel, "FW", 20, 75, 15, 8),
        EditText(kSystemVersion, 40, 75, 35, 12, ES_MULTILINE | ES_READONLY),
        LText(kNaviLabel, "NAVI", 15, 90, 20, 10),
        EditText(kNaviFiles, 40, 90, 35, 12, ES_MULTILINE | ES_READONLY | WS_VSCROLL),
        // "Ship"
        LText(kShipLabel, "Ship", 17, 191, 23, 8),
        PushButton(kShipInit, "Init", 45, 188, 50, 14),
        // "Diag"
        GroupBox(kDiagGroup, "Diag", 125, 5, 140, 45),
        AutoRadioButton(kDiagNor, "NOR", 139, 15, 40, 10, WS_GROUP | WS_TABSTOP),
        AutoRadioButton(kDiagRds, "RDS", 185, 15, 35, 10),
        AutoRadioButton(kDiagGps, "GPS", 185, 25, 35, 10),
        AutoRadioButton(kDiagKey, "KEY", 139, 25, 35, 10),
        AutoRadioButton(kDiagStorage, "STORAGE", 139, 35, 47, 10),
        PushButton(kDiagExec, "EXEC", 230, 15, 30, 15, WS_GROUP),
        GroupBox(kMutingGroup, "Radio muting", 125, 55, 100, 25),
        AutoRadioButton(kMuteOff, "OFF", 135, 65, 35, 10, WS_GROUP | WS_TABSTOP),
        AutoRadioButton(kMuteOn, "ON", 185, 65, 35, 10),
        LText(kBatteryLabel, "Battery", 125, 90, 30, 10, WS_GROUP),
        EditText(kBattery, 155, 90, 35, 12, ES_AUTOHSCROLL | ES_READONLY),
        LText(kMillivoltLabel, "mV", 195, 90, 15, 10),
        // "TouchPanel"
        PushButton(kTouchTest, "Test", 5, 130, 75, 15),
        PushButton(kCalibration, "Start calibration", 5, 155, 75, 15),
        // "LCD"
        GroupBox(kLcdGroup, "LCD color setting", 125, 115, 165, 55),
        AutoRadioButton(1023, "Red", 135, 125, 30, 10, WS_GROUP | WS_TABSTOP),
        AutoRadioButton(1024, "Green", 135, 135, 40, 10),
        AutoRadioButton(1025, "Blue", 135, 145, 30, 10),
        AutoRadioButton(1026, "White 100%", 135, 155, 55, 10),
        AutoRadioButton(1027, "White 0%", 195, 125, 44, 10),
        AutoRadioButton(1028, "Color bar", 195, 135, 45, 10),
        AutoRadioButton(1029, "Gray scale", 195, 145, 50, 10),
        AutoRadioButton(1030, "Gradation", 195, 156, 59, 10),
        PushButton(kLcdExec, "EXEC", 250, 125, 30, 15, WS_GROUP),
        LText(kDutyLabel, "Duty ratio Up/Down", 125, 175, 75, 10),
        EditText(kDuty, 210, 175, 30, 15, ES_AUTOHSCROLL),
        UpDown(kDutySpin, 240, 175, 11, 15, UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_ALIGNRIGHT),
        // Wider than "Duty ratio Up/Down": at 75 the text is a pixel too wide
        // for one line and its last word wraps out of sight.
        LText(kPhotoLabel, "Photo sensor A/D value", 125, 195, 80, 10),
        EditText(kPhoto, 210, 195, 30, 15, ES_AUTOHSCROLL | ES_READONLY),
        // "Audio"
        GroupBox(kSineGroup, "Sine wave", 315, 5, 95, 85),
        AutoRadioButton(1037, "100Hz", 325, 15, 35, 9, WS_GROUP | WS_TABSTOP),
        AutoRadioButton(1038, "500Hz", 325, 25, 35, 9),
        AutoRadioButton(1039, "1KHz", 325, 34, 35, 9),
        AutoRadioButton(1040, "2KHz", 325, 45, 35, 9),
        AutoRadioButton(1041, "5KHz", 325, 55, 35, 9),
        AutoRadioButton(1042, "Infinity", 325, 65, 35, 9),
        AutoRadioButton(1043, "Sweep", 325, 74, 35, 9),
        PushButton(kPlay, "PLAY", 375, 15, 30, 15, WS_GROUP),
        PushButton(kStop, "STOP", 375, 70, 30, 15),
        LText(kVolumeLabel, "Volume", 435, 5, 30, 10),
        Trackbar(kVolume, 435, 15, 30, 77, TBS_VERT | TBS_AUTOTICKS),
        LText(kMaxLabel, "Max", 465, 20, 20, 10),
        LText(kMinLabel, "Min", 465, 80, 20, 10),
        // "RDS/GPS"
        PushButton(kRdsTool, "RDS tool", 315, 105, 95, 15),
        PushButton(kGpsInfo, "GPS Information", 315, 130, 95, 15),
        // Every page
        TabControl(kTab, 0, 0, 85, 55),
    };
    return t;
}
