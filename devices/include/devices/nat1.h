// "NAT1:": the radio mute switch. The mute codes take no buffers; GET_LEVEL
// gives the muting level as a 4-byte signed value.
#pragma once

#include "platform/win_types.h"

inline constexpr const char* kNatDeviceName = "NAT1:";

inline constexpr platform::DWORD VESK_NAVATT_IOCTL_MUTE_OFF = 0;
inline constexpr platform::DWORD VESK_NAVATT_IOCTL_MUTE_ON = 1;
inline constexpr platform::DWORD VESK_NAVATT_IOCTL_GET_LEVEL = 2;
