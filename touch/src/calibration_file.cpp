#include "touch/calibration_file.h"

#include "platform/api.h"
#include "platform/handle.h"

bool CalibrationFileExists() {
    platform::WIN32_FIND_DATA data;
    const platform::UniqueFind find(platform::FindFirstFile(kCalibrationFilePath, &data));
    return find.valid();
}
