// The interrupt controller's register block, mapped with VirtualCopy at its
// kernel address.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

inline constexpr std::uint32_t kIntcAddress = 0xA6F00000U;
inline constexpr platform::DWORD kIntcBytes = 0x18;

// The interrupt mask (byte offset; 32 bits, a 1 enables its source).
inline constexpr std::uint32_t kIntcIcmr = 0x04;
inline constexpr std::uint32_t kPowerKeySource = 1U << 8;
