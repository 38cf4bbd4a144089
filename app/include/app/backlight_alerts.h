// The backlight's message boxes. Outside the status read-out each failure is
// shown as it happens. The read-out runs every 500 ms, also under its own
// message boxes, so there each message is shown once while its failure lasts
// (a success re-arms it), and never while another backlight box is open.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "ui/types.h"

enum class BacklightAlert : std::size_t {
    Open,        // "PWM1:" cannot be opened
    Automode,    // automatic mode cannot be switched off
    PhotoLevel,  // the photo sensor cannot be read
};

class BacklightAlerts {
  public:
    // Marks the calls made within its life as the status read-out's.
    class ReadoutScope {
      public:
        explicit ReadoutScope(BacklightAlerts& alerts) : alerts_(alerts) { ++alerts_.readout_; }
        ~ReadoutScope() { --alerts_.readout_; }
        ReadoutScope(const ReadoutScope&) = delete;
        ReadoutScope& operator=(const ReadoutScope&) = delete;

      private:
        BacklightAlerts& alerts_;
    };

    // Shows the message box when the rule above allows it.
    void Show(BacklightAlert alert, std::string_view text, ui::UINT type);
    // The operation behind the alert worked: its message may come again.
    void Succeeded(BacklightAlert alert);

    [[nodiscard]] bool InReadout() const { return readout_ > 0; }

  private:
    static constexpr std::size_t kAlerts = 3;
    std::array<bool, kAlerts> shown_{};
    int readout_ = 0;
    int open_ = 0;
};
