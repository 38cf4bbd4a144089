#include "touch/calibration_file.h"

#include "platform/api.h"

using namespace platform;

bool CalibrationFileExists() {
    WIN32_FIND_DATA data;
    const HANDLE find = FindFirstFile(kCalibrationFilePath, &data);
    if (find == INVALID_HANDLE_VALUE) {
        return false;
    }
    FindClose(find);
    return true;
}
