// "PWM1:": the backlight's duty and the photo sensor. SET_AUTOMODE takes one
// byte (0: the duty is set by hand); every other code takes or gives one
// 4-byte signed value.
#pragma once

#include "platform/win_types.h"

inline constexpr const char* kPwmDeviceName = "PWM1:";

inline constexpr platform::DWORD VESK_PWM_IOCTL_SET_AUTOMODE = 0x8002;
// Output: the number of duty steps.
inline constexpr platform::DWORD VESK_PWM_IOCTL_GET_MAX = 0x10;
inline constexpr platform::DWORD VESK_PWM_IOCTL_GET_DUTY = 0x11;
// Input: the duty, 0 to steps - 1.
inline constexpr platform::DWORD VESK_PWM_IOCTL_SET_DUTY = 0x8011;
inline constexpr platform::DWORD VESK_PHOTOSENSOR_IOCTL_GET_LEVEL = 0x13;
