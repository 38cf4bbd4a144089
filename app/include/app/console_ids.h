// Control ids of the console window (template 102).
#pragma once

#include "ui/types.h"

namespace console_id {

inline constexpr int kTab = 1000;

// "Ver"
inline constexpr int kSerialLabel = 1057;
inline constexpr int kFactoryCode = 1009;
inline constexpr int kFirmwareLabel = 1044;
inline constexpr int kSystemVersion = 1002;
inline constexpr int kNaviLabel = 1045;
inline constexpr int kNaviFiles = 1003;

// "Ship"
inline constexpr int kShipLabel = 1100;
inline constexpr int kShipInit = 1101;

// "Diag"
inline constexpr int kDiagGroup = 1008;
inline constexpr int kDiagNor = 1010;
inline constexpr int kDiagRds = 1017;
inline constexpr int kDiagGps = 1018;
inline constexpr int kDiagKey = 1019;
inline constexpr int kDiagStorage = 1021;
inline constexpr int kDiagExec = 1004;
inline constexpr int kMutingGroup = 1059;
inline constexpr int kMuteOff = 1020;
inline constexpr int kMuteOn = 1016;
inline constexpr int kBatteryLabel = 1050;
inline constexpr int kBattery = 1051;
inline constexpr int kMillivoltLabel = 1052;

// "TouchPanel"
inline constexpr int kTouchTest = 1046;
inline constexpr int kCalibration = 1096;

// "LCD"
inline constexpr int kLcdGroup = 1022;
inline constexpr int kPatternFirst = 1023;  // "Red" .. "Gradation": 1023 .. 1030
inline constexpr int kPatternCount = 8;
inline constexpr int kLcdExec = 1005;
inline constexpr int kDutyLabel = 1035;
inline constexpr int kDuty = 1032;
inline constexpr int kDutySpin = 1031;
inline constexpr int kPhotoLabel = 1034;
inline constexpr int kPhoto = 1033;

// "Audio"
inline constexpr int kSineGroup = 1036;
inline constexpr int kToneFirst = 1037;  // "100Hz" .. "Sweep": 1037 .. 1043
inline constexpr int kToneCount = 7;
inline constexpr int kPlay = 1006;
inline constexpr int kStop = 1007;
inline constexpr int kVolumeLabel = 1054;
inline constexpr int kVolume = 1053;
inline constexpr int kMaxLabel = 1055;
inline constexpr int kMinLabel = 1056;

// "RDS/GPS"
inline constexpr int kRdsTool = 1047;
inline constexpr int kGpsInfo = 1058;

// Tab indices of the pages.
inline constexpr int kPageVer = 0;
inline constexpr int kPageShip = 1;
inline constexpr int kPageDiag = 2;
inline constexpr int kPageTouchPanel = 3;
inline constexpr int kPageLcd = 4;
inline constexpr int kPageAudio = 5;
inline constexpr int kPageRdsGps = 6;

// Timers.
inline constexpr ui::UINT_PTR kStatusTimer = 1;
inline constexpr ui::UINT_PTR kCalibrationTimer = 2;

}  // namespace console_id
