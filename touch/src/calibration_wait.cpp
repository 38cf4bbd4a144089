#include "touch/calibration_wait.h"

#include <limits>

#include "platform/api.h"
#include "touch/calibration_file.h"
#include "ui/message_box.h"

using namespace platform;

namespace {

constexpr char kCaptionCreating[] = "Kestrin -- Creating calib.dat.";
constexpr char kCaptionNotCreated[] = "Kestrin -- Not created!! calib.dat";
constexpr char kCaptionFound[] = "Kestrin";

// Ticks 0 to 6 look for the file only; from the eighth tick on the wait has
// given up.
constexpr std::int32_t kLastPatientTick = 6;

}  // namespace

bool ConfirmRecalibration() {
    if (!CalibrationFileExists()) {
        return true;
    }
    if (ui::AfxMessageBox("Would you like to start calibration? ",
                          ui::MB_OKCANCEL | ui::MB_ICONEXCLAMATION) != ui::IDOK) {
        return false;
    }
    DeleteFile(kCalibrationFilePath);
    return true;
}

void StartCalibrationWait(ui::CWnd& console, std::int32_t& tick) {
    TouchCalibrate();
    tick = 0;
    if (console.SetTimer(kCalibrationTimerId, kCalibrationTimerMs) == 0) {
        NKDbgPrintf("SetTimer failed!::OnInitDialog\r\n");
    }
    console.SetWindowText(kCaptionCreating);
}

void CalibrationWaitTick(ui::CWnd& console, std::int32_t& tick) {
    const std::int32_t taken = tick;
    // The timer is killed at the eighth tick; a stray later tick must not
    // overflow the counter.
    if (tick < std::numeric_limits<std::int32_t>::max()) {
        ++tick;
    }
    if (taken > kLastPatientTick) {
        console.KillTimer(kCalibrationTimerId);
        console.SetWindowText(kCaptionNotCreated);
    }
    if (CalibrationFileExists()) {
        console.KillTimer(kCalibrationTimerId);
        console.SetWindowText(kCaptionFound);
    }
}
