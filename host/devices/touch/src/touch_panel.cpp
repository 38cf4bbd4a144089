#include "host/touch/touch_panel.h"

#include <utility>

#include "calibration_screen.h"
#include "devices/touch_calibration.h"
#include "host/unit/virtual_unit.h"
#include "platform/last_error.h"
#include "platform/text.h"
#include "ui/desktop.h"

namespace host::touch {

TouchPanel::TouchPanel(unit::VirtualUnit& unit) : unit_(unit) {}

TouchPanel::~TouchPanel() {
    std::lock_guard lock(writerMutex_);
    writer_.reset();
}

platform::BOOL TouchPanel::TouchCalibrate() {
    if (ui::Desktop::Current() == nullptr) {
        platform::SetLastError(platform::ERROR_NOT_SUPPORTED);
        return platform::FALSE;
    }
    CalibrationScreen screen;
    if (screen.DoModal() != ui::IDOK) {
        platform::SetLastError(platform::ERROR_OPERATION_ABORTED);
        return platform::FALSE;
    }
    completed_.fetch_add(1);
    ScheduleWrite(CalibrationRecord(screen.Taps()));
    return platform::TRUE;
}

void TouchPanel::ScheduleWrite(std::string record) {
    std::lock_guard lock(writerMutex_);
    writer_.reset();  // stops and joins a write still waiting
    const std::int64_t delay = delayMs_.load();
    if (delay < 0) {
        return;
    }
    if (delay == 0) {
        Write(record);
        return;
    }
    unit::Scheduler& scheduler = unit_.scheduler();
    const std::uint64_t deadline = scheduler.NowMs() + static_cast<std::uint64_t>(delay);
    writer_ = std::make_unique<unit::SimThread>(
        scheduler,
        [this, &scheduler, deadline, record = std::move(record)](const std::stop_token& stop) {
            if (scheduler.SleepUntil(deadline, stop)) {
                Write(record);
            }
        });
}

void TouchPanel::Write(const std::string& record) {
    using namespace platform;
    const HANDLE h = unit_.CreateFile(kCalibrationFilePath, GENERIC_WRITE, 0, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL);
    if (h == INVALID_HANDLE_VALUE) {
        unit_.DebugOutput(Format("TouchCalibrate: CreateFile failed!::calib.dat errcode=0x%x\r\n",
                                 GetLastError()));
        return;
    }
    DWORD written = 0;
    if (unit_.WriteFile(h, record.data(), static_cast<DWORD>(record.size()), &written) == FALSE) {
        unit_.DebugOutput(Format("TouchCalibrate: WriteFile failed!::calib.dat errcode=0x%x\r\n",
                                 GetLastError()));
    }
    unit_.CloseHandle(h);
}

}  // namespace host::touch
