// Every control code of the contract by its name as the headers spell it,
// for whoever shows or reads codes as text (a script's `expect control`, the
// unit's traffic in words).
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "devices/dsk1.h"
#include "devices/gps1.h"
#include "devices/inf1.h"
#include "devices/log1.h"
#include "devices/nat1.h"
#include "devices/pwm1.h"
#include "platform/win_types.h"

struct ControlCodeName {
    std::string_view device;  // "PWM1:"
    std::string_view name;    // "VESK_PWM_IOCTL_SET_DUTY"
    platform::DWORD code;
};

#define KESTRIN_CONTROL_CODE(device, code) \
    ControlCodeName {                      \
        device, #code, code                \
    }

inline constexpr std::array kControlCodeNames = {
    KESTRIN_CONTROL_CODE(kPwmDeviceName, VESK_PWM_IOCTL_SET_AUTOMODE),
    KESTRIN_CONTROL_CODE(kPwmDeviceName, VESK_PWM_IOCTL_GET_MAX),
    KESTRIN_CONTROL_CODE(kPwmDeviceName, VESK_PWM_IOCTL_GET_DUTY),
    KESTRIN_CONTROL_CODE(kPwmDeviceName, VESK_PWM_IOCTL_SET_DUTY),
    KESTRIN_CONTROL_CODE(kPwmDeviceName, VESK_PHOTOSENSOR_IOCTL_GET_LEVEL),
    KESTRIN_CONTROL_CODE(kNatDeviceName, VESK_NAVATT_IOCTL_MUTE_OFF),
    KESTRIN_CONTROL_CODE(kNatDeviceName, VESK_NAVATT_IOCTL_MUTE_ON),
    KESTRIN_CONTROL_CODE(kNatDeviceName, VESK_NAVATT_IOCTL_GET_LEVEL),
    KESTRIN_CONTROL_CODE(kLogDeviceName, VESK_LOG_IOCTL_LOGGING_DISABLE),
    KESTRIN_CONTROL_CODE(kInfDeviceName, VESK_INFO_IOCTL_GET_SYSTEM_VERSION),
    KESTRIN_CONTROL_CODE(kDskDeviceName, kIdentifyCode),
    KESTRIN_CONTROL_CODE(kGpsDeviceName, VESK_GPS_IOCTL_WAIT_DATA),
    KESTRIN_CONTROL_CODE(kGpsDeviceName, VESK_GPS_IOCTL_GET_DATA_SIZE),
    KESTRIN_CONTROL_CODE(kGpsDeviceName, VESK_GPS_IOCTL_READ_DATA),
    KESTRIN_CONTROL_CODE(kGpsDeviceName, VESK_GPS_IOCTL_GET_GPS_VERSION),
};

#undef KESTRIN_CONTROL_CODE

// The name of a device's code; nothing for a code the contract does not name.
constexpr std::optional<std::string_view> ControlCodeNameOf(std::string_view device,
                                                            platform::DWORD code) {
    for (const ControlCodeName& c : kControlCodeNames) {
        if (c.device == device && c.code == code) {
            return c.name;
        }
    }
    return std::nullopt;
}

// A device's code by its name.
constexpr std::optional<platform::DWORD> ControlCodeByName(std::string_view device,
                                                           std::string_view name) {
    for (const ControlCodeName& c : kControlCodeNames) {
        if (c.device == device && c.name == name) {
            return c.code;
        }
    }
    return std::nullopt;
}
