// The "LCD" page: backlight duty, photo sensor and the pattern window, all
// through the "PWM1:" driver.
#include <cstdint>

#include "app/console_dlg.h"
#include "app/console_ids.h"
#include "app/pattern_dlg.h"
#include "devices/pwm1.h"
#include "platform/api.h"

using namespace console_id;

namespace {

// A control code with a signed 32-bit result.
bool ReadValue(platform::HANDLE h, platform::DWORD code, std::int32_t* value) {
    platform::DWORD returned = 0;
    return platform::DeviceIoControl(h, code, nullptr, 0, value, sizeof *value, &returned) !=
           platform::FALSE;
}

}  // namespace

platform::HANDLE CConsoleDlg::OpenBacklight() {
    if (m_hBacklight != platform::INVALID_HANDLE_VALUE) {
        return m_hBacklight;
    }
    m_hBacklight = platform::CreateFile(
        kPwmDeviceName, platform::GENERIC_READ | platform::GENERIC_WRITE,
        platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE, platform::OPEN_EXISTING, 0);
    if (m_hBacklight == platform::INVALID_HANDLE_VALUE) {
        m_backlightAlerts.Show(BacklightAlert::Open, "CreateFile(PWM1:) failed.", ui::MB_OK);
    } else {
        m_backlightAlerts.Succeeded(BacklightAlert::Open);
    }
    const std::uint8_t automode = 0;
    if (platform::DeviceIoControl(m_hBacklight, VESK_PWM_IOCTL_SET_AUTOMODE, &automode,
                                  sizeof automode, nullptr, 0, nullptr) == platform::FALSE) {
        m_backlightAlerts.Show(BacklightAlert::Automode, "SET_AUTOMODE failed.", ui::MB_OK);
    } else {
        m_backlightAlerts.Succeeded(BacklightAlert::Automode);
    }
    return m_hBacklight;
}

int CConsoleDlg::GetDutyMax() {
    std::int32_t steps = 0;
    return ReadValue(OpenBacklight(), VESK_PWM_IOCTL_GET_MAX, &steps) ? steps : 0;
}

int CConsoleDlg::GetDuty() {
    std::int32_t duty = 0;
    return ReadValue(OpenBacklight(), VESK_PWM_IOCTL_GET_DUTY, &duty) ? duty : -1;
}

ui::BOOL CConsoleDlg::SetDuty(int value) {
    const std::int32_t duty = value;
    platform::DWORD returned = 0;
    return platform::DeviceIoControl(OpenBacklight(), VESK_PWM_IOCTL_SET_DUTY, &duty, sizeof duty,
                                     nullptr, 0, &returned);
}

int CConsoleDlg::GetPhotoLevel() {
    std::int32_t level = 0;
    if (!ReadValue(OpenBacklight(), VESK_PHOTOSENSOR_IOCTL_GET_LEVEL, &level)) {
        m_backlightAlerts.Show(BacklightAlert::PhotoLevel,
                               "VESK_PHOTOSENSOR_IOCTL_GET_LEVEL error!!",
                               ui::MB_OK | ui::MB_ICONINFORMATION);
        return -1;
    }
    m_backlightAlerts.Succeeded(BacklightAlert::PhotoLevel);
    return level;
}

void CConsoleDlg::SetUpBacklight() {
    m_nDutyMin = 0;
    m_nDutyMax = GetDutyMax() - 1;
    m_spinDuty.SetRange(static_cast<short>(m_nDutyMin), static_cast<short>(m_nDutyMax));
    SetDuty(m_nDutyMax);
    m_nDuty = GetDuty();
}

void CConsoleDlg::OnDutyDeltaPos(ui::NMHDR* header, ui::LRESULT* result) {
    const auto* change = reinterpret_cast<const ui::NMUPDOWN*>(header);
    // The spin reads its buddy: a text that is no number sets the high half,
    // which puts the step out of range.
    const int next = m_spinDuty.GetPos() + change->iDelta;
    if (m_nDutyMin <= next && next <= m_nDutyMax) {
        m_nDuty = next;
        SetDuty(next);
    }
    *result = 0;
}

void CConsoleDlg::OnLcdExec() {
    int pattern = -1;
    for (std::size_t i = 0; i < m_pRadioPattern.size(); ++i) {
        if (m_pRadioPattern[i] != nullptr && m_pRadioPattern[i]->GetCheck() == ui::BST_CHECKED) {
            pattern = static_cast<int>(i);
            break;
        }
    }
    CPatternDlg dlg;
    dlg.m_nPattern = pattern;
    dlg.DoModal();
}
