#pragma once

#include <cstdint>

#include "platform/win_types.h"

// The GPIO register block that both the GPS module check (board variant pin)
// and the key check window (key pins and their edge detection) map.
namespace diag {

inline constexpr std::uint32_t kGpioAddress = 0xA7000000U;
inline constexpr platform::DWORD kGpioBytes = 0x6C;

}  // namespace diag
