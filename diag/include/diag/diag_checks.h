// The hardware checks of the diagnostic result window. Each ends by setting
// the window's whole result text once.
#pragma once

#include "ui/types.h"

class CDiagResultDlg;

// NOR flash: the 16-bit sum of the 16 MiB window at 0xB8300000.
void DiagNorFunc(CDiagResultDlg* dlg);
// Storage card: the "DSK1:" identify record and the "\Mounted Volume" sizes.
void DiagStorageFunc(CDiagResultDlg* dlg);
// GPS module: the hardware variant in the caption and the module's version.
void DiagGpsFunc(CDiagResultDlg* dlg);
// RDS module: opens "COM7:" and starts RdsReceiveThread, which writes the
// result; returns at once.
void DiagRdsFunc(CDiagResultDlg* dlg);
// The RDS check's worker; param is the result window. Returns 0.
ui::UINT RdsReceiveThread(ui::LPVOID param);
