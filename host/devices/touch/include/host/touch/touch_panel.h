// The virtual unit's touch panel: platform::Touch. TouchCalibrate runs the
// calibration dialogue on the calling (UI) thread and, once the five
// crosshairs are tapped, has the unit write "\Mounted Volume\Vesk\calib.dat"
// after touch.calib_delay_ms of the unit's clock, as the target's
// calibration does some time after its dialogue closes. A negative delay
// never writes it; Esc writes nothing.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "host/unit/scheduler.h"
#include "platform/services.h"

namespace host::unit {
class VirtualUnit;
}

namespace host::touch {

inline constexpr std::int64_t kDefaultCalibrationDelayMs = 1500;

class TouchPanel final : public platform::Touch {
  public:
    explicit TouchPanel(unit::VirtualUnit& unit);
    ~TouchPanel() override;
    TouchPanel(const TouchPanel&) = delete;
    TouchPanel& operator=(const TouchPanel&) = delete;

    // FALSE when the user cancelled (ERROR_OPERATION_ABORTED) or there is no
    // screen on this thread (ERROR_NOT_SUPPORTED).
    platform::BOOL TouchCalibrate() override;

    void SetCalibrationDelay(std::int64_t ms) { delayMs_.store(ms); }
    [[nodiscard]] std::int64_t CalibrationDelay() const { return delayMs_.load(); }
    // Calibrations the user completed.
    [[nodiscard]] int Completed() const { return completed_.load(); }

  private:
    // Replaces any write still waiting: the latest calibration wins.
    void ScheduleWrite(std::string record);
    void Write(const std::string& record);

    unit::VirtualUnit& unit_;
    std::atomic<std::int64_t> delayMs_{kDefaultCalibrationDelayMs};
    std::atomic<int> completed_{0};
    std::mutex writerMutex_;
    std::unique_ptr<unit::SimThread> writer_;
};

}  // namespace host::touch
