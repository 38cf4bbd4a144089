// The NOR flash, mapped with VirtualCopy as one window at its kernel address.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

inline constexpr std::uint32_t kNorAddress = 0xB8300000U;
inline constexpr platform::DWORD kNorBytes = 0x1000000U;  // 16 MiB
