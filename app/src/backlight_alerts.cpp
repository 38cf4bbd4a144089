#include "app/backlight_alerts.h"

#include "ui/message_box.h"

void BacklightAlerts::Show(BacklightAlert alert, std::string_view text, ui::UINT type) {
    const auto index = static_cast<std::size_t>(alert);
    if (InReadout()) {
        if (shown_[index] || open_ > 0) {
            return;
        }
        shown_[index] = true;
    }
    ++open_;
    ui::AfxMessageBox(text, type);
    --open_;
}

void BacklightAlerts::Succeeded(BacklightAlert alert) {
    shown_[static_cast<std::size_t>(alert)] = false;
}
