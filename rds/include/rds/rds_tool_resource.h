// Dialog 103, the RDS tool, and its control ids.
#pragma once

inline constexpr int IDD_RDS_TOOL = 103;

// First row: tune mode.
inline constexpr int IDC_RDS_TUNE_MODE = 1091;
inline constexpr int IDC_RDS_FREQUENCY = 1079;
inline constexpr int IDC_RDS_FREQUENCY_SPIN = 1076;
inline constexpr int IDC_RDS_TUNE_PARAM = 1080;
inline constexpr int IDC_RDS_TUNE_PARAM_SPIN = 1077;
inline constexpr int IDC_RDS_TUNE_SEND = 1060;
inline constexpr int IDC_RDS_TUNE_TUNED = 1062;
inline constexpr int IDC_RDS_TUNE_STRENGTH = 1063;

// Second row: seek mode.
inline constexpr int IDC_RDS_SEEK_MODE = 1092;
inline constexpr int IDC_RDS_SEEK_UP = 1074;
inline constexpr int IDC_RDS_SEEK_DOWN = 1075;
inline constexpr int IDC_RDS_SEEK_PARAM = 1081;
inline constexpr int IDC_RDS_SEEK_PARAM_SPIN = 1078;
inline constexpr int IDC_RDS_SEEK_SEND = 1061;
inline constexpr int IDC_RDS_SEEK_FOUND = 1064;
inline constexpr int IDC_RDS_SEEK_TUNED = 1065;

inline constexpr int IDC_RDS_SHOW_LEVEL = 1066;
inline constexpr int IDC_RDS_LEVEL = 1082;
inline constexpr int IDC_RDS_MUTE_ON = 1067;
inline constexpr int IDC_RDS_MUTE_OFF = 1068;
inline constexpr int IDC_RDS_SHOW_VERSION = 1069;
inline constexpr int IDC_RDS_VERSION1 = 1083;
inline constexpr int IDC_RDS_VERSION2 = 1084;
inline constexpr int IDC_RDS_VERSION3 = 1085;
inline constexpr int IDC_RDS_PS_NAME = 1086;
inline constexpr int IDC_RDS_RAW_A = 1087;
inline constexpr int IDC_RDS_RAW_B = 1088;
inline constexpr int IDC_RDS_RAW_C = 1089;
inline constexpr int IDC_RDS_RAW_D = 1090;

// Labels and group boxes nobody addresses.
inline constexpr int IDC_RDS_STATIC = -1;
