// "INF1:": the system version. GET_SYSTEM_VERSION gives one 4-byte word: the
// major version in its high half, the minor in its low half.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

inline constexpr const char* kInfDeviceName = "INF1:";

inline constexpr platform::DWORD VESK_INFO_IOCTL_GET_SYSTEM_VERSION = 0;

constexpr std::uint32_t SystemVersionWord(std::uint32_t major, std::uint32_t minor) {
    return (major << 16) | (minor & 0xFFFFU);
}
constexpr unsigned SystemVersionMajor(std::uint32_t word) {
    return word >> 16;
}
constexpr unsigned SystemVersionMinor(std::uint32_t word) {
    return word & 0xFFFFU;
}
