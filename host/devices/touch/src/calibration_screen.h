// The virtual unit's calibration dialogue: a full-screen dialog of the
// framework showing one crosshair at a time. A tap near the crosshair takes
// that point and moves on; after the fifth the dialog ends with IDOK. Esc
// ends it with IDCANCEL.
#pragma once

#include <array>
#include <cstddef>

#include "host/touch/calibration_record.h"
#include "ui/dialog.h"

namespace host::touch {

class CalibrationScreen final : public ui::CDialog {
  public:
    CalibrationScreen();

    ui::BOOL OnInitDialog() override;

    // The taps taken so far, in crosshair order.
    [[nodiscard]] const std::array<ui::Point, kCrosshairCount>& Taps() const { return taps_; }
    [[nodiscard]] std::size_t Taken() const { return taken_; }

  protected:
    void OnPaint() override;
    void OnLButtonDown(ui::UINT flags, ui::Point point) override;
    void OnLButtonDblClk(ui::UINT flags, ui::Point point) override;

  private:
    void Take(ui::Point point);

    std::array<ui::Point, kCrosshairCount> taps_{};
    std::size_t taken_ = 0;
};

}  // namespace host::touch
